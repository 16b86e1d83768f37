#include "app/tmainwin.h"

#include "app/appicon.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>

#include "app/archiverunner.h"
#include "app/dialogs.h"
#include "app/windowlanguage.h"
#include "controls/tbitpanel.h"
#include "controls/tbtnmtx.h"
#include "controls/tversion.h"
#include "playback/portaudiodevice.h"

namespace tp {

QFont TMainWin::WindowFont() {
  QFont font;
  // IPAGothic has the half-width katakana the recorder writes in take names;
  // the others stand in where it is not installed.
  font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(12);
  return font;
}

void TMainWin::NumberTrackKeys() {
  TrackSel->SetUpdating(true);
  for (int row = 0; row < TrackCount; ++row) {
    TrackSel->SetCaptions(row, 0, QString::number(row + 1));
    TrackSel->SetAssigned(row, 0, true);
  }
  TrackSel->SetUpdating(false);
}

TMainWin::TMainWin(Services services)
    : settingsFile_(std::move(services.settingsFile)),
      dialogs_(std::move(services.dialogs)),
      archiveFileWritten_(std::move(services.archiveFileWritten)) {
  if (!dialogs_) dialogs_ = std::make_unique<StandardDialogs>();
  if (!services.places) services.places = MachinePlaces;
  if (!services.sound) services.sound = MakePortAudioDevice();

  // 1. The window and its controls; the skinned ones known to screen readers.
  InstallAccessibility();
  setFont(WindowFont());
  resize(ClientWidth, ClientHeight);
  setMinimumSize(MinClientWidth, MinClientHeight);
  BuildFace();
  BuildPages(services.places);
  BuildStatusBar();
  BuildPopups();
  SetHints();

  // 2. The caption from the version information.
  Version = new TVersion(this);
  Version->Loaded();
  BaseCaption = Version->Description() + QStringLiteral(" Ver.") + Version->ProductVersion();
  setWindowTitle(BaseCaption);
  LastExportFolder = LastImportFolder = QDir::homePath();
  setWindowIcon(ApplicationIcon());

  // 3. The track keys are numbered and always hold content.
  NumberTrackKeys();

  // 4. Every skinned control gets the piece of its panel it covers.
  CaptureBackgrounds();

  // 6. The run state (5, the per-track tables, were filled while building).
  Playing = false;
  Conversion = ConversionIdle;
  model_.ImportTargetSet = false;
  model_.TakesSelected = false;
  // The import labels under IMPORT in the window's language.
  model_.ViewWording = TranslatedText;

  // 7. The audition's stream; a machine without sound output stays silent.
  transport_ = std::make_unique<Transport>(static_cast<TransportEvents&>(*this), std::move(services.sound));
  // 8. The outlines' thread, before the tree reports the first song.
  StartThumbnails(services.outlineCacheFolder, std::move(services.outlineReading));
  BuildMixMemory(std::move(services.savedMixesFile));
  WireHandlers();
  DescribeForScreenReaders();

  connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
          &TMainWin::AppEventsIdle);
  // Key presses reach the window before the focused control.
  qApp->installEventFilter(this);

  DirTree->Loaded();
  LoadSettings();
}

void TMainWin::WireHandlers() {
  WireAudition();
  WireMeters();
  WireMuteSolo();
  WireExport();
  WireImport();
  WireKeyboard();
  WireDragDrop();
  WireArchive();
  WireAbout();
}

TMainWin::~TMainWin() {
  qApp->removeEventFilter(this);
  // The outlines' thread posts to this window too.
  thumbnails_.reset();
  // An archive's thread runs on takes this window opened: it stops first.
  delete archiveRunner_;
  archiveRunner_ = nullptr;
  // The stream's thread calls back into this window: it goes first.
  transport_.reset();
}

void TMainWin::CentreOnScreen() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
  }
  // A screen smaller than the window (a laptop at 200 %) would put its
  // left edge off the screen.
  KeepInsideScreen(false);
}

void TMainWin::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int faceHeight = height() - StatusBarHeight;
  BitPanel->setGeometry(0, 0, PanelWidth, faceHeight);
  PageControl->setGeometry(PanelWidth, 0, std::max(0, width() - PanelWidth), faceHeight);
  StatusBar->setGeometry(0, faceHeight, width(), StatusBarHeight);
}

QString TMainWin::ProjectFolder() const {
  return folderReported_ ? QString::fromStdString(model_.ProjectFolder) : QString();
}

}  // namespace tp
