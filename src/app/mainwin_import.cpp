// The import from the window: the open dialog with the wave preview along its
// bottom edge, ImportAudioFile run block by block, then the matrices and
// times showing the new takes.
#include <QFile>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "convert/importengine.h"
#include "dialogs/tcopendialog.h"
#include "dialogs/tgetwin.h"

namespace tp {

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
  if (Conversion != 0) {
    // The click that raised the button of the running import stops it
    // before its next block.
    if (!ImpBtn->Down()) AbortRequested = true;
    return;
  }
  WavOpen->SetSubForm(getWin_);
  if (!dialogs_->OpenFile(*WavOpen)) {
    ImpBtn->SetDown(false);
    return;
  }
  const std::filesystem::path source = QFile::encodeName(WavOpen->FileName()).toStdString();
  const std::optional<RateHandling> rate = AskRateHandling(source);
  if (!rate) {
    ImpBtn->SetDown(false);
    return;
  }
  const ConversionResult result = RunConversion(1, *ImpBtn, [&](const ConversionHooks& hooks) {
    return ImportAudioFile(model_, source, hooks, SongLock::Wait::No, *rate);
  });
  if (result.outcome == ConversionResult::Failed) return;  // no take changed
  MirrorMatrices();
  UpdateSelection();
}

}  // namespace tp
