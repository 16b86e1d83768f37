// The import from the window: the open dialog with the wave preview along its
// bottom edge, ImportAudioFile run block by block, then the matrices and
// times showing the new takes.
#include <QFile>
#include <QFileInfo>

#include "app/mainwin_labels.h"
#include "project/messages.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbpbtn.h"
#include "convert/importengine.h"
#include "convert/importpreparation.h"
#include "archive/stemfile.h"
#include "dialogs/tcopendialog.h"
#include "dialogs/tgetwin.h"

namespace tp {
namespace {

// "Kick (Track01-1)", "Final (Master1)": a target that holds audio, as the
// question names it.
QString ExistingTake(const ProjectModel& model, const ImportTarget& target) {
  const bool master = target.track >= TrackCount;
  const MatrixCell& cell = master ? model.MasTakeSel[target.take] : model.TakeSel[target.track][target.take];
  const std::string label = master ? MasterTakeLabel(target.take) : TakeLabel(target.track, target.take);
  return ToText(cell.caption).trimmed() + QStringLiteral(" (") + QString::fromStdString(label) + QLatin1Char(')');
}

}  // namespace

// Asked before anything else of the import happens, from what the
// preparation found in the selection.
bool TMainWin::ConfirmReplacing(const ImportPreparation& prepared) {
  std::vector<QString> existing;
  for (const ImportTarget& target : prepared.occupied) existing.push_back(ExistingTake(model_, target));
  if (existing.empty()) return true;
  const QString question = existing.size() == 1 ? MessageText(messages::ReplaceOneTake).arg(existing[0])
                                                : MessageText(messages::ReplaceTwoTakes).arg(existing[0], existing[1]);
  return dialogs_->Confirm(this, MessageText(messages::ReplaceCaption), question);
}

void TMainWin::WireImport() {
  WavOpen = new TCOpenDialog(this);
  WavOpen->setParent(this);
  WavOpen->SetFilter(QStringLiteral("Audio(*.wav;*.aif;*.flac)|*.wav;*.aif;*.flac|Windows Wave(*.wav)|*.wav|"
                                    "AIFF(*.aif)|*.aif|FLAC(*.flac)|*.flac"));
  WavOpen->SetDefaultExt(QStringLiteral("wav"));
  WavOpen->SetSubFormPos(fpBottom);
  WavOpen->SetSubFormAnchors(AllSubFormAnchors);
  WavOpen->SetDialogSizing(true);
  WavOpen->OnSelectionChange = [this](TCOpenDialog* sender) { WavOpenSelectionChange(sender); };
  connect(ImpBtn, &TBPBtn::OnClick, this, [this] { ImpBtnClick(); });
}

void TMainWin::SetGetWin(TGetWin* form) { getWin_ = form; }

void TMainWin::WavOpenSelectionChange(TCOpenDialog* sender) {
  if (!getWin_) return;
  getWin_->SetPreviewFile(sender->FileName());
  getWin_->ShowWaveInfo();
}

void TMainWin::ImpBtnClick() {
  if (Conversion != ConversionIdle) {
    // The click that raised the button of the running import stops it
    // before its next block.
    if (!ImpBtn->Down()) AbortRequested = true;
    return;
  }
  WavOpen->SetSubForm(getWin_);
  WavOpen->SetInitialDir(LastImportFolder);
  if (!dialogs_->OpenFile(*WavOpen)) {
    ImpBtn->SetDown(false);
    return;
  }
  LastImportFolder = QFileInfo(WavOpen->FileName()).absolutePath();
  ImportFrom(QFile::encodeName(WavOpen->FileName()).toStdString());
}

// The import once its source is known, with IMPORT down: a click on it
// aborts, whether the source came from the dialog or was dropped. The
// source is opened once: the replace question comes first, then the
// question about the file's rate, then the import reads the same open file.
void TMainWin::ImportFrom(const std::filesystem::path& source) {
  ImportPreparation prepared;
  if (const Status status = PrepareImport(model_, source, prepared); !status.ok()) {
    // Said as a failed import says it; no take changed.
    ImpBtn->SetDown(true);
    RunConversion(ConversionImport, *ImpBtn, [&](const ConversionHooks&) { return ConversionResult::Failure(status); });
    return;
  }
  if (!ConfirmReplacing(prepared)) {
    ImpBtn->SetDown(false);
    return;
  }
  const std::optional<RateHandling> rate = AskRateHandling(prepared.format);
  if (!rate) {
    ImpBtn->SetDown(false);
    return;
  }
  // Takes the user agreed to replace are replaced; a take another program
  // writes after the question (or where there was nothing to ask) is not.
  const ExistingTakes existing = prepared.occupied.empty() ? ExistingTakes::Refuse : ExistingTakes::Replace;
  ImpBtn->SetDown(true);
  const ConversionResult result = RunConversion(ConversionImport, *ImpBtn, [&](const ConversionHooks& hooks) {
    return ImportPrepared(model_, prepared, hooks, SongLock::Wait::No, *rate, existing);
  });
  if (result.outcome == ConversionResult::Failed) return;  // no take changed
  MirrorMatrices();
  UpdateSelection();
}

}  // namespace tp
