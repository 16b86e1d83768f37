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
// preparation found in the selection: one question for every take that
// would be replaced, whatever the number of files.
bool TMainWin::ConfirmReplacing(const std::vector<ImportTarget>& occupied) {
  QStringList existing;
  for (const ImportTarget& target : occupied) existing.push_back(ExistingTake(model_, target));
  if (existing.empty()) return true;
  QString question;
  if (existing.size() == 1) question = MessageText(messages::ReplaceOneTake).arg(existing[0]);
  else if (existing.size() == 2) question = MessageText(messages::ReplaceTwoTakes).arg(existing[0], existing[1]);
  else question = MessageText(messages::ReplaceTakes).arg(existing.join(QStringLiteral(", ")));
  return dialogs_->Confirm(this, MessageText(messages::ReplaceCaption), question);
}

void TMainWin::WireImport() {
  WavOpen = new TCOpenDialog(this);
  WavOpen->setParent(this);
  // libsndfile reads far more than these; the list names what a DAW's
  // stems come as. The file's contents decide how it is read.
  WavOpen->SetFilter(QStringLiteral(
      "Audio(*.wav;*.wave;*.aif;*.aiff;*.aifc;*.flac;*.w64;*.rf64;*.caf;*.ogg;*.oga;*.opus;*.mp3)|"
      "*.wav;*.wave;*.aif;*.aiff;*.aifc;*.flac;*.w64;*.rf64;*.caf;*.ogg;*.oga;*.opus;*.mp3|"
      "Windows Wave(*.wav)|*.wav|AIFF(*.aif;*.aiff;*.aifc)|*.aif;*.aiff;*.aifc|FLAC(*.flac)|*.flac"));
  WavOpen->SetDefaultExt(QStringLiteral("wav"));
  WavOpen->SetMultiSelect(true);
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
  const QStringList chosen = WavOpen->FileNames();
  if (chosen.size() == 1) {
    ImportFrom(QFile::encodeName(chosen.front()).toStdString());
    return;
  }
  std::vector<std::filesystem::path> sources;
  for (const QString& file : chosen) sources.emplace_back(QFile::encodeName(file).toStdString());
  ImportFiles(sources);
}

namespace {

// A preparation's failure, said as a failed import says it; no take changed.
ConversionResult failedBefore(const Status& status) { return ConversionResult::Failure(status); }

}  // namespace

// The import once its source is known, with IMPORT down: a click on it
// aborts, whether the source came from the dialog or was dropped. The
// source is opened once: the channel question of a multichannel file comes
// first, then the replace question, then the question about the file's
// rate, then the import reads the same open file.
void TMainWin::ImportFrom(const std::filesystem::path& source) {
  std::vector<ImportPreparation> files(1);
  ImportPreparation& prepared = files.front();
  if (const Status status = PrepareImport(model_, source, prepared); !status.ok()) {
    ImpBtn->SetDown(true);
    RunConversion(ConversionImport, *ImpBtn, [&](const ConversionHooks&) { return failedBefore(status); });
    return;
  }
  if (!AskAllChannels(prepared).has_value() || !ConfirmReplacing(prepared.occupied)) {
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
  RunImport(files, *rate, prepared.occupied.empty() ? ExistingTakes::Refuse : ExistingTakes::Replace);
}

void TMainWin::ImportFiles(const std::vector<std::filesystem::path>& sources) {
  const ImportTargets chosen = model_.ImportTargetsFor(1);
  std::vector<ImportPreparation> files;
  Status status = Status::Fail(messages::NoImportTarget);
  if (chosen.first.used() && !chosen.masterMode)
    status = PrepareBatch(model_, sources, chosen.first.track, chosen.first.take, files);
  if (!status.ok()) {
    ImpBtn->SetDown(true);
    RunConversion(ConversionImport, *ImpBtn, [&](const ConversionHooks&) { return failedBefore(status); });
    return;
  }
  std::vector<ImportTarget> occupied;
  const ImportPreparation* otherRate = nullptr;
  for (const ImportPreparation& prepared : files) {
    occupied.insert(occupied.end(), prepared.occupied.begin(), prepared.occupied.end());
    if (prepared.rateDiffers && !otherRate) otherRate = &prepared;
  }
  if (!ConfirmReplacing(occupied)) {
    ImpBtn->SetDown(false);
    return;
  }
  // One question for every file at another rate, asked about the first.
  const std::optional<RateHandling> rate =
      otherRate ? AskRateHandling(otherRate->format) : std::optional(RateHandling::KeepSamples);
  if (!rate) {
    ImpBtn->SetDown(false);
    return;
  }
  RunImport(files, *rate, occupied.empty() ? ExistingTakes::Refuse : ExistingTakes::Replace);
}

void TMainWin::RunImport(std::vector<ImportPreparation>& files, RateHandling rate, ExistingTakes existing) {
  ImpBtn->SetDown(true);
  const ConversionResult result = RunConversion(ConversionImport, *ImpBtn, [&](const ConversionHooks& hooks) {
    if (files.size() == 1) return ImportPrepared(model_, files.front(), hooks, SongLock::Wait::No, rate, existing);
    return ImportBatch(model_, files, hooks, SongLock::Wait::No, rate, existing);
  });
  // A batch stopped half-way has imported the files before the stop.
  if (result.outcome == ConversionResult::Failed && files.size() == 1) return;  // no take changed
  MirrorMatrices();
  UpdateSelection();
}

}  // namespace tp
