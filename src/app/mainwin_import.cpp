// The import from the window: the open dialog with the wave preview along its
// bottom edge, ImportAudioFile run block by block, then the matrices and
// times showing the new takes.
#include <QFile>
#include <QFileInfo>

#include "app/mainwin_labels.h"
#include "project/messages.h"
#include "app/tmainwin.h"
#include "audiofile/audiofile.h"
#include "controls/tbpbtn.h"
#include "convert/importengine.h"
#include "archive/stemfile.h"
#include "dialogs/tcopendialog.h"
#include "dialogs/tgetwin.h"

namespace tp {
namespace {

// "Kick (Track01-1)", "Final (Master1)": a target that holds audio, as the
// question names it; nothing for one that is empty.
std::optional<QString> ExistingTake(const ProjectModel& model, const ImportTarget& target) {
  if (!target.used()) return std::nullopt;
  const bool master = target.track >= TrackCount;
  const MatrixCell& cell = master ? model.MasTakeSel[target.take] : model.TakeSel[target.track][target.take];
  if (!cell.assigned) return std::nullopt;
  const std::string label = master ? MasterStemLabel(target.take) : TrackStemLabel(target.track, target.take);
  return ToText(cell.caption).trimmed() + QStringLiteral(" (") + QString::fromStdString(label) + QLatin1Char(')');
}

}  // namespace

// Asked before anything else of the import happens; a source that cannot be
// read asks nothing, the import then says what is wrong with it.
bool TMainWin::ConfirmReplacing(const std::filesystem::path& source) {
  const std::unique_ptr<AudioFile> file = OpenAudioFile(source, false);
  if (!file || file->format == FormatNone) return true;
  const ImportTargets targets = model_.ImportTargetsFor(file->channels);
  std::vector<QString> existing;
  if (auto first = ExistingTake(model_, targets.first)) existing.push_back(*first);
  // Both files of a master take are one take.
  if (!targets.masterMode)
    if (auto second = ExistingTake(model_, targets.second)) existing.push_back(*second);
  if (existing.empty()) return true;
  const QString question =
      existing.size() == 1 ? QString::fromLatin1(messages::ReplaceOneTake).arg(existing[0])
                           : QString::fromLatin1(messages::ReplaceTwoTakes).arg(existing[0], existing[1]);
  return dialogs_->Confirm(this, QString::fromLatin1(messages::ReplaceCaption), question);
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
// replace question comes first, then the question about the file's rate.
void TMainWin::ImportFrom(const std::filesystem::path& source) {
  if (!ConfirmReplacing(source)) {
    ImpBtn->SetDown(false);
    return;
  }
  const std::optional<RateHandling> rate = AskRateHandling(source);
  if (!rate) {
    ImpBtn->SetDown(false);
    return;
  }
  ImpBtn->SetDown(true);
  const ConversionResult result = RunConversion(ConversionImport, *ImpBtn, [&](const ConversionHooks& hooks) {
    return ImportAudioFile(model_, source, hooks, SongLock::Wait::No, *rate);
  });
  if (result.outcome == ConversionResult::Failed) return;  // no take changed
  MirrorMatrices();
  UpdateSelection();
}

}  // namespace tp
