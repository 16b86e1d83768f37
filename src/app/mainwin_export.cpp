// The export from the window: the save dialog, the choice between WAV and
// AIFF, and ExportTakes run block by block with the mixer's settings.
#include <QFile>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tslider.h"
#include "convert/exportengine.h"
#include "convert/exportformat.h"

namespace tp {
namespace {

// The second pair of WavSave's filter.
constexpr int AiffFilterIndex = 2;

}  // namespace

void TMainWin::WireExport() {
  WavSave.filter = QStringLiteral("Windows Wave(*.wav)|*.wav|AIFF(*.aif)|*.aif");
  WavSave.defaultExt = QStringLiteral("wav");
  connect(ExpBtn, &TBPBtn::OnClick, this, [this] { ExpBtnClick(); });
}

void TMainWin::ExpBtnClick() {
  if (Conversion != ConversionIdle) {
    // The click that raised the button of the running export stops it
    // before its next block.
    if (!ExpBtn->Down()) AbortRequested = true;
    return;
  }
  if (!dialogs_->SaveFile(this, WavSave)) {
    ExpBtn->SetDown(false);
    return;
  }
  const ExportFormatChoice choice =
      ChooseExportFormat(QFile::encodeName(WavSave.fileName).toStdString(), WavSave.filterIndex == AiffFilterIndex);
  WavSave.fileName = QFile::decodeName(QByteArray::fromStdString(choice.fileName.string()));

  ExportRequest request;
  request.selection = model_.PlaybackSelection();
  // Every take from its first sample, whatever the slider shows; the length
  // is the longest selected take, the slider's range.
  request.length = uint32_t(Slider->Max());
  request.output = choice.fileName;
  request.format = choice.format;
  request.mixer = &transport_->Settings();
  RunConversion(ConversionExport, *ExpBtn, [&](const ConversionHooks& hooks) { return ExportTakes(request, hooks); });
}

}  // namespace tp
