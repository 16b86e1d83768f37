// The project view: the folder the tree reports read into the model, and the
// clicks on the matrices, each mirrored back into the cells, labels and times.
#include <QFile>
#include <QLabel>

#include <algorithm>
#include <limits>

#include "app/mainwin_labels.h"
#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"

namespace tp {

void TMainWin::DirTreeChange(const QString& path) {
  folderReported_ = true;
  KeepSongMix();  // the song being left
  model_.DirTreeChange(QFile::encodeName(path).toStdString());
  RestoreSongMix();
  // The desktop node has no path: the caption alone, not one ending in " - ".
  setWindowTitle(path.isEmpty() ? BaseCaption : BaseCaption + QStringLiteral(" - ") + path);
  ShowProjectName();
  MirrorMatrices();
  ShowSelection();
  StatusPanels[1]->clear();
}

void TMainWin::ShowProjectName() {
  ProjName->setText(model_.ProjectOpen ? QStringLiteral(" ") + ToText(model_.ProjectName) : QString());
}

void TMainWin::MirrorMatrices() {
  TakeSel->SetUpdating(true);
  for (int track = 0; track < TrackCount; ++track)
    for (int take = 0; take < TakesPerTrack; ++take) {
      const MatrixCell& cell = model_.TakeSel[track][take];
      TakeSel->SetCaptions(track, take, ToText(cell.caption));
      TakeSel->SetAssigned(track, take, cell.assigned);
      TakeSel->SetDown(track, take, cell.down);
    }
  TakeSel->SetUpdating(false);

  MasTakeSel->SetUpdating(true);
  for (int take = 0; take < MasterTakeCount; ++take) {
    const MatrixCell& cell = model_.MasTakeSel[take];
    MasTakeSel->SetCaptions(0, take, ToText(cell.caption));
    MasTakeSel->SetAssigned(0, take, cell.assigned);
    MasTakeSel->SetDown(0, take, cell.down);
  }
  MasTakeSel->SetUpdating(false);

  TrackSel->SetUpdating(true);
  for (int track = 0; track < TrackCount; ++track) TrackSel->SetDown(track, 0, model_.TrackSelDown[track]);
  TrackSel->SetUpdating(false);

  MasterSel->SetDown(model_.MasterMode);
  FollowTakesForThumbnails();
}

void TMainWin::ShowSelection() {
  const SelectionView& view = model_.View;
  LMonoLabel->setText(QString::fromStdString(view.lMonoLabel));
  RLabel->setText(QString::fromStdString(view.rLabel));
  for (int track = 0; track < TrackCount; ++track) Times[track]->setText(QString::fromStdString(view.trackTimes[track]));
  TimeM->setText(QString::fromStdString(view.masterTime));
  PlayTime->setText(QString::fromStdString(view.playTime));
  Slider->SetMax(int(std::min<uint32_t>(view.sliderMax, uint32_t(std::numeric_limits<int>::max()))));
  Slider->SetPosition(0);
}

void TMainWin::UpdateSelection() {
  model_.UpdateSelection();
  ShowSelection();
}

void TMainWin::TakeSelClick(int row, int column) {
  model_.TakeSelClick(row, column);
  MirrorMatrices();
  ShowSelection();
}

void TMainWin::TrackSelClick(int row) {
  model_.TrackSelClick(row);
  MirrorMatrices();
  ShowSelection();
}

void TMainWin::MasterSelClick() {
  model_.MasterSelClick(MasterSel->Down());
  MirrorMatrices();
  ShowSelection();
}

void TMainWin::MasTakeSelClick(int column) {
  model_.MasTakeSelClick(column);
  MirrorMatrices();
  ShowSelection();
}

}  // namespace tp
