// What the window's controls mean, told to assistive technology (a screen
// reader through AT-SPI). The skinned controls' interfaces (src/controls)
// give each its role, state and value; only the window knows that a knob is
// track 3's pan or that a cell holds a take of 0:01:23, so it names them
// here: fixed names through setAccessibleName, and the texts that follow
// the model (cells, values, the clip light) through AccessibleTexts.
#include <QAccessibleWidget>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>

#include "app/mainwin_labels.h"
#include "app/tmainwin.h"
#include "controls/accessiblefactory.h"
#include "controls/accessibletexts.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tlevelmeter.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "audiofile/takefile.h"
#include "project/taketime.h"

namespace tp {
namespace {

QString Number(int zeroBased) { return QString::number(zeroBased + 1); }

QString TimeText(int32_t samples) { return QString::fromStdString(FormatPlayTime(uint32_t(std::max(samples, 0)))); }

// A time as it is said: "1:23", "1:02:03" past the hour, whole seconds.
QString SpokenTime(int32_t samples) {
  const int seconds = std::max(samples, 0) / int(TakeSampleRate);
  if (seconds < 3600) return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// "Track 1, take 1: Kick, 0:01:23", "Track 1, take 2: empty".
QString TakeCellName(const ProjectModel& model, int track, int take) {
  const MatrixCell& cell = model.TakeSel[size_t(track)][size_t(take)];
  if (!cell.assigned) return TMainWin::tr("Track %1, take %2: empty").arg(Number(track), Number(take));
  const QString name = ToText(cell.caption).trimmed();
  const QString time = TimeText(model.TakeLength(track, take));
  if (name.isEmpty()) return TMainWin::tr("Track %1, take %2: %3").arg(Number(track), Number(take), time);
  return TMainWin::tr("Track %1, take %2: %3, %4").arg(Number(track), Number(take), name, time);
}

// "Master take 1: Final, 0:00:08", "Master take 2: empty".
QString MasterCellName(const ProjectModel& model, int take) {
  const MatrixCell& cell = model.MasTakeSel[size_t(take)];
  if (!cell.assigned) return TMainWin::tr("Master take %1: empty").arg(Number(take));
  const QString name = ToText(cell.caption).trimmed();
  const QString time = TimeText(model.MasterLength(MasterSide::Left, take));
  if (name.isEmpty()) return TMainWin::tr("Master take %1: %2").arg(Number(take), time);
  return TMainWin::tr("Master take %1: %2, %3").arg(Number(take), name, time);
}

void Name(QWidget* control, const QString& name, const QString& description = QString()) {
  control->setAccessibleName(name);
  if (!description.isEmpty()) control->setAccessibleDescription(description);
}

// A button whose Down the user sets and reads back.
void NameToggle(TBPBtn* button, const QString& name, const QString& description = QString()) {
  Name(button, name, description);
  AccessibleTexts::Of(*button).checkable = true;
}

// The window is a window to a screen reader, not a filler, and its status
// bar a status bar: plain QWidgets that only the window knows the meaning of.
QAccessibleInterface* WindowPartsFactory(const QString&, QObject* object) {
  if (auto* window = qobject_cast<TMainWin*>(object)) return new QAccessibleWidget(window, QAccessible::Window);
  auto* widget = qobject_cast<QWidget*>(object);
  auto* window = widget ? qobject_cast<TMainWin*>(widget->parentWidget()) : nullptr;
  if (window && widget == window->StatusBar) return new QAccessibleWidget(widget, QAccessible::StatusBar);
  return nullptr;
}

}  // namespace

void TMainWin::InstallAccessibility() {
  InstallAccessibleControls();
  static const bool installed = [] {
    QAccessible::installFactory(&WindowPartsFactory);
    return true;
  }();
  (void)installed;
}

void TMainWin::DescribeForScreenReaders() {
  DescribeMatrices();
  DescribeTransportRow();
  DescribePages();
}

void TMainWin::DescribeMatrices() {
  Name(BitPanel, tr("Takes"));
  Name(TakeSel, tr("Takes"), tr("One row per track; choose one take per track"));
  AccessibleTexts& takes = AccessibleTexts::Of(*TakeSel);
  takes.cellName = [this](int row, int column) { return TakeCellName(model_, row, column); };
  takes.rowName = [](int row) { return tr("Track %1").arg(Number(row)); };
  takes.columnName = [](int column) { return tr("Take %1").arg(Number(column)); };

  Name(MasTakeSel, tr("Master takes"), tr("The song's ten stereo master takes; choose one"));
  AccessibleTexts& masters = AccessibleTexts::Of(*MasTakeSel);
  masters.cellName = [this](int, int column) { return MasterCellName(model_, column); };
  masters.rowName = [](int) { return tr("Master"); };
  masters.columnName = [](int column) { return tr("Master take %1").arg(Number(column)); };

  Name(TrackSel, tr("Import tracks"), tr("The tracks an import writes to"));
  AccessibleTexts& tracks = AccessibleTexts::Of(*TrackSel);
  tracks.cellName = [](int row, int) { return tr("Import to track %1").arg(Number(row)); };
  tracks.rowName = [](int row) { return tr("Track %1").arg(Number(row)); };
  NameToggle(MasterSel, tr("Master mode"), tr("Show the master takes instead of the tracks' takes"));
}

void TMainWin::DescribeTransportRow() {
  Name(ImpBtn, tr("Import"), tr("Import audio files into the chosen tracks (Ctrl+I); press again to stop"));
  NameToggle(AudBtn, tr("Play"), tr("Hear the chosen takes through the mixer (Space)"));
  Name(Slider, tr("Position"), tr("Where the audition starts or plays"));
  AccessibleTexts::Of(*Slider).valueText = [this](int position) {
    return tr("%1 of %2").arg(SpokenTime(position), SpokenTime(Slider->Max()));
  };
  Name(ExpBtn, tr("Export"), tr("Export the chosen takes to a WAV or AIFF file (Ctrl+E); press again to stop"));
}

void TMainWin::DescribePages() {
  Name(PageControl, tr("Pages"));
  Name(FolderSheet, tr("Folders"));
  Name(SortBtn->parentWidget(), tr("Folder buttons"));
  Name(DirTree, tr("Song folders"), tr("Select a song folder of the recorder to see its takes"));
  Name(BitPanel1, tr("Time"));
  Name(MixerPanel, tr("Mixer"));
  Name(StatusBar, tr("Status"));
  for (int t = 0; t < TrackCount; ++t) {
    Name(Volumes[t], tr("Track %1 volume").arg(Number(t)));
    AccessibleTexts::Of(*Volumes[t]).valueText = [](int position) { return QString::number(position); };
    Name(Pans[t], tr("Track %1 pan").arg(Number(t)));
    AccessibleTexts::Of(*Pans[t]).valueText = [](int position) {
      return position == DefaultPan ? tr("centre") : PanText(position);
    };
    NameToggle(MuteBtns[t], tr("Mute track %1").arg(Number(t)));
    NameToggle(SoloBtns[t], tr("Solo track %1").arg(Number(t)));
    Name(TrackMeters[t], tr("Track %1 level").arg(Number(t)));
  }
  Name(InitBtn, tr("Reset mixer"), tr("Every knob back to its default, mute and solo off"));
  Name(MasterMeter, tr("Mix level"));
  NameToggle(ClipLight, tr("Clip light"));
  AccessibleTexts::Of(*ClipLight).description = [this] {
    return ClipLight->Down() ? tr("The mix clipped; press to put the light out") : tr("The mix has not clipped");
  };
}

}  // namespace tp
