// The idle rules that enable the controls, the hints in the status bar, and
// the keys the window sees before the focused control.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusTipEvent>

#include "app/tmainwin.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"

namespace tp {
namespace {

// The long part of a hint ("short|long"), or the whole hint without a bar.
QString LongHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}
QString ShortHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

}  // namespace

void TMainWin::SetHints() {
  struct Hint {
    QWidget* control;
    const char* hint;
    bool tooltip;
  };
  const Hint hints[] = {
      {TakeSel, QT_TR_NOOP("Takes|Choose one take per track to hear or export"), true},
      {TrackSel, QT_TR_NOOP("Tracks|Select Tracks for Import"), true},
      {MasTakeSel, QT_TR_NOOP("Master takes|Choose a master take to hear or export"), true},
      {MasterSel, QT_TR_NOOP("Master|Select Master track"), true},
      {AudBtn, QT_TR_NOOP("Audition|Hear Takes"), true},
      {ImpBtn, QT_TR_NOOP("Import|Import Take(s) from WAV/AIFF"), true},
      {ExpBtn, QT_TR_NOOP("Export|Export Take(s) to WAV/AIFF"), true},
      {InitBtn, QT_TR_NOOP("Init|Initialize mixer settings"), true},
      {ProjName, QT_TR_NOOP("|Double-click to Edit"), false},
      {SortBtn, QT_TR_NOOP("Sort Tree by Alphabetical"), false},
      {NewFldrBtn, QT_TR_NOOP("Make a new folder"), false},
      {RefBtn, QT_TR_NOOP("Refresh folder information"), false},
  };
  // The whole hint travels as the status tip; AppEventsHint takes it apart.
  for (const Hint& entry : hints) {
    const QString hint = tr(entry.hint);
    entry.control->setStatusTip(hint);
    if (entry.tooltip) entry.control->setToolTip(ShortHint(hint));
  }
}

void TMainWin::AppEventsIdle() {
  const ProjectModel& m = model_;
  // The folder tree stays usable while an archive runs: browsing it reads
  // folders only. Everything that reads or changes takes waits for the end.
  const bool browsable = !Playing && Conversion == ConversionIdle;
  const bool idle = browsable && !ArchiveRunning;
  TakeSel->setEnabled(m.ProjectOpen && !m.MasterMode && idle);
  MasTakeSel->setEnabled(m.ProjectOpen && m.MasterMode && idle);
  TrackSel->setEnabled(m.ProjectOpen && !m.MasterMode && idle);
  MasterSel->setEnabled(m.ProjectOpen && idle);
  ImpBtn->setEnabled(m.ProjectOpen && m.ImportTargetSet && !Playing && Conversion != ConversionExport &&
                     !ArchiveRunning);
  ExpBtn->setEnabled(m.TakesScanned && m.TakesSelected && !Playing && Conversion != ConversionImport &&
                     !ArchiveRunning);
  AudBtn->setEnabled(m.TakesSelected && Conversion == ConversionIdle && !ArchiveRunning);
  Slider->setEnabled(m.TakesSelected && Conversion == ConversionIdle && !ArchiveRunning);
  ProjName->setEnabled(m.ProjectOpen && idle);
  FolderSheet->setEnabled(browsable);
  MixerPanel->setEnabled(Conversion == ConversionIdle);
  NewFldrBtn->setEnabled(!ProjectFolder().isEmpty());
  PauseThumbnailsWhileBusy();
}

void TMainWin::AppEventsHint(const QString& hint) {
  // While an export or an import runs, the bar keeps saying how to stop it.
  if (Conversion != ConversionIdle) return;
  StatusPanels[0]->setText(LongHint(hint));
}

bool TMainWin::FormKeyPress(QChar key) {
  if (MuteSoloKey(key)) return true;
  if (key != QLatin1Char(' ')) return false;
  // The condition that enables AudBtn: the blank starts or stops the audition.
  if (model_.TakesSelected && Conversion == ConversionIdle && !ArchiveRunning) {
    AudBtn->SetDown(!AudBtn->Down());
    AudBtnClick();
  }
  return true;
}

bool TMainWin::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    AppEventsHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  if (event->type() == QEvent::Show && !framedOnce_) {
    framedOnce_ = true;
    KeepInsideOnceFramed();
  }
  return QWidget::event(event);
}

bool TMainWin::eventFilter(QObject* watched, QEvent* event) {
  if (DragDropFilter(watched, event)) return true;
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && StopKey()) return true;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.size() == 1 && FormKeyPress(text[0])) return true;
  }
  if (watched == ProjName && event->type() == QEvent::MouseButtonDblClick) {
    // The filter sees the double-click before a disabled label would drop
    // it: greyed out, the name is not the user's to change.
    if (ProjName->isEnabled()) ProjNameDblClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tp
