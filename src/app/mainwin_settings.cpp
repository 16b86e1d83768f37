// What the window remembers between runs: the folder selected in the tree,
// where the last export, import, archive, restore and DAW file went, the
// archive's format, whether each song's mix is kept, and the window's own
// place and size. It is kept in the user's configuration folder; a missing,
// unreadable or damaged file only means starting as on the first day.
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "app/tmainwin.h"

namespace tp {
namespace {

const QString kFolderKey = QStringLiteral("folder");
const QString kExportFolderKey = QStringLiteral("exportFolder");
const QString kImportFolderKey = QStringLiteral("importFolder");
const QString kGeometryKey = QStringLiteral("geometry");
const QString kNormaliseKey = QStringLiteral("exportNormalise");
const QString kExportTypeKey = QStringLiteral("exportType");
const QString kKeepMixesKey = QStringLiteral("keepSongMixes");
const QString kArchiveFolderKey = QStringLiteral("archiveFolder");
const QString kArchiveFormatKey = QStringLiteral("archiveFormat");
const QString kRestoreFolderKey = QStringLiteral("restoreFolder");
const QString kDawFolderKey = QStringLiteral("dawFolder");

// A remembered folder, if it still is one.
QString ExistingFolder(const QSettings& settings, const QString& key) {
  const QString folder = settings.value(key).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

}  // namespace

QString TMainWin::UserSettingsFile() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("TrackPorter"),
                   QStringLiteral("trackporter"))
      .fileName();
}

std::unique_ptr<QSettings> TMainWin::OpenSettings() const {
  return std::make_unique<QSettings>(settingsFile_.isEmpty() ? UserSettingsFile() : settingsFile_,
                                     QSettings::IniFormat);
}

void TMainWin::LoadSettings() {
  const std::unique_ptr<QSettings> settings = OpenSettings();
  if (settings->status() != QSettings::NoError) {
    CentreOnScreen();
    return;
  }
  if (const QString folder = ExistingFolder(*settings, kExportFolderKey); !folder.isEmpty())
    LastExportFolder = folder;
  if (const QString folder = ExistingFolder(*settings, kImportFolderKey); !folder.isEmpty())
    LastImportFolder = folder;
  WavSave.choice = std::max(0, settings->value(kNormaliseKey, 0).toInt());
  // Before the folder below is opened, so that its song gets its kept mix.
  KeepMixBox->setChecked(settings->value(kKeepMixesKey, false).toBool());
  if (KeepMixBox->isChecked()) LoadSavedMixes();
  // WAV, AIFF or FLAC, as the save dialog lists them; anything else is WAV.
  if (const int type = settings->value(kExportTypeKey, 1).toInt(); type >= 1 && type <= 3) WavSave.filterIndex = type;
  lastArchiveFolder_ = ExistingFolder(*settings, kArchiveFolderKey);
  lastRestoreFolder_ = ExistingFolder(*settings, kRestoreFolderKey);
  lastDawFolder_ = ExistingFolder(*settings, kDawFolderKey);
  // WAV, AIFF or FLAC; anything else (a damaged file) is WAV.
  if (const int format = settings->value(kArchiveFormatKey, 0).toInt(); format >= 0 && format <= 2)
    lastArchiveFormat_ = format;
  // Qt's restoreGeometry puts the frame back where it was; the window is
  // moved only when that place is off this screen.
  const QByteArray geometry = settings->value(kGeometryKey).toByteArray();
  if (geometry.isEmpty() || !restoreGeometry(geometry)) CentreOnScreen();
  else KeepInsideScreen(true);
  if (const QString folder = ExistingFolder(*settings, kFolderKey); !folder.isEmpty()) DirTree->SetDirectory(folder);
}

void TMainWin::OpenAtStart(const QString& folder) { DirTree->SetDirectory(folder); }

void TMainWin::KeepInsideScreen(bool shrink) {
  QScreen* screen = QGuiApplication::screenAt(geometry().center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  // The frame is the window manager's; before the window is shown Qt knows
  // none, and the client area is all there is to fit.
  const QRect outer = frameGeometry();
  const QSize frame = outer.size() - size();
  const QSize room = (available.size() - frame).expandedTo(minimumSize());
  if (shrink) resize(size().boundedTo(room));
  const QRect now(outer.topLeft(), size() + frame);
  const int x = std::clamp(now.left(), available.left(), std::max(available.left(), available.right() + 1 - now.width()));
  const int y = std::clamp(now.top(), available.top(), std::max(available.top(), available.bottom() + 1 - now.height()));
  // move() places the frame. A window already inside is left alone: moved
  // to where it is before the window manager has framed it, its frame would
  // go where its client area was, and each start would leave it lower by
  // the title bar's height.
  if (QPoint(x, y) == now.topLeft()) return;
  // Without a frame yet, the place is the client area's.
  if (frame.isEmpty()) setGeometry(QRect(QPoint(x, y), size()));
  else move(x, y);
}

void TMainWin::KeepInsideOnceFramed() {
  // The frame is known once the window is shown and the window manager
  // has framed it; the check then counts the title bar too.
  QTimer::singleShot(0, this, [this] { KeepInsideScreen(false); });
}

void TMainWin::SaveSettings() const {
  const std::unique_ptr<QSettings> settings = OpenSettings();
  if (!ProjectFolder().isEmpty()) settings->setValue(kFolderKey, DirTree->GetDirectory());
  settings->setValue(kExportFolderKey, LastExportFolder);
  settings->setValue(kImportFolderKey, LastImportFolder);
  if (!lastArchiveFolder_.isEmpty()) settings->setValue(kArchiveFolderKey, lastArchiveFolder_);
  if (!lastRestoreFolder_.isEmpty()) settings->setValue(kRestoreFolderKey, lastRestoreFolder_);
  if (!lastDawFolder_.isEmpty()) settings->setValue(kDawFolderKey, lastDawFolder_);
  settings->setValue(kArchiveFormatKey, lastArchiveFormat_);
  settings->setValue(kGeometryKey, saveGeometry());
  settings->setValue(kNormaliseKey, WavSave.choice);
  settings->setValue(kExportTypeKey, WavSave.filterIndex);
  settings->setValue(kKeepMixesKey, KeepMixBox->isChecked());
}

void TMainWin::closeEvent(QCloseEvent* event) {
  KeepSongMix();
  SaveSettings();
  QWidget::closeEvent(event);
}

}  // namespace tp
