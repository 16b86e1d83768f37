// The export from the window: the save dialog, the choice between WAV, AIFF
// and FLAC, and ExportTakes run block by block with the mixer's settings.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <optional>

#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbpbtn.h"
#include "controls/tslider.h"
#include "convert/exportengine.h"
#include "convert/exportformat.h"
#include "archive/stemfile.h"
#include "project/messages.h"
#include "project/namecodec.h"

namespace tp {
namespace {

// The types of WavSave's filter, in its order (the first is 1).
AudioFormat FormatOfFilter(int filterIndex) {
  if (filterIndex == 2) return FormatAiff;
  if (filterIndex == 3) return FormatFlac;
  return FormatWav;
}

// "<song> mix": the project's name as shown, without its padding.
std::string MixStem(const std::string& projectNameBytes) {
  std::string song = NameBytesToUtf8(projectNameBytes);
  while (!song.empty() && song.back() == ' ') song.pop_back();
  song = SafeFileNameComponent(song);
  return song.empty() ? std::string("mix") : song + " mix";
}

// The save dialog's "Normalise to" choice: off, or the loudness of
// streaming services (-14 LUFS), of podcasts (-16 LUFS) or of broadcast
// (-23 LUFS), in the order of NormaliseChoices.
constexpr std::array<double, 3> NormaliseTargets{-14, -16, -23};

std::optional<double> NormaliseTarget(int choice) {
  if (choice < 1 || choice > int(NormaliseTargets.size())) return std::nullopt;
  return NormaliseTargets[size_t(choice - 1)];
}

}  // namespace

// What `stems` would call the selection: "Track05-1 Chords.wav" for one
// take, "Master1 Final.wav" for a master take, "<song> mix.wav" for a mixdown.
QString TMainWin::SuggestedExportName() const {
  std::string stem;
  int selected = 0;
  if (model_.MasterMode) {
    for (int take = 0; take < MasterTakeCount; ++take)
      if (const MatrixCell& cell = model_.MasTakeSel[take]; cell.down && cell.assigned)
        stem = StemFileStem(MasterTakeLabel(take), cell.caption);
  } else {
    for (int track = 0; track < TrackCount; ++track)
      for (int take = 0; take < TakesPerTrack; ++take)
        if (const MatrixCell& cell = model_.TakeSel[track][take]; cell.down && cell.assigned) {
          stem = StemFileStem(TakeLabel(track, take), cell.caption);
          ++selected;
        }
    if (selected > 1) stem = MixStem(model_.ProjectName);
  }
  // The type chosen last gives the extension, so that the name and the type offered agree.
  return QString::fromStdString(stem + ExportExtension(FormatOfFilter(WavSave.filterIndex)));
}

void TMainWin::WireExport() {
  WavSave.filter = QStringLiteral("Windows Wave(*.wav)|*.wav|AIFF(*.aif)|*.aif|FLAC (*.flac)|*.flac");
  WavSave.defaultExt = QStringLiteral("wav");
  WavSave.choiceLabel = MessageText(messages::NormaliseToLabel);
  // Each level names what it is for, so that nobody has to know the numbers.
  WavSave.choices = QStringList{MessageText(messages::NormaliseOff), tr("−14 LUFS (streaming)"),
                                tr("−16 LUFS (podcasts)"), tr("−23 LUFS (broadcast, EBU R128)")};
  connect(ExpBtn, &TBPBtn::OnClick, this, [this] { ExpBtnClick(); });
}

void TMainWin::ExpBtnClick() {
  if (Conversion != ConversionIdle) {
    // The click that raised the button of the running export stops it
    // before its next block.
    if (!ExpBtn->Down()) AbortRequested = true;
    return;
  }
  // A command line given --saved-mix exports what the window does.
  KeepSongMix();
  // Every export is offered the name of what is chosen now, in the folder of
  // the last export: an earlier name would point Enter at an unrelated file
  // and the replace question. The folder and the type are remembered.
  SaveDialog offer = WavSave;
  offer.fileName = QDir(LastExportFolder).filePath(SuggestedExportName());
  if (!dialogs_->SaveFile(this, offer)) {
    ExpBtn->SetDown(false);
    return;
  }
  WavSave = offer;
  LastExportFolder = QFileInfo(WavSave.fileName).absolutePath();
  const ExportFormatChoice choice =
      ChooseExportFormat(QFile::encodeName(WavSave.fileName).toStdString(), FormatOfFilter(WavSave.filterIndex));
  WavSave.fileName = QFile::decodeName(QByteArray::fromStdString(choice.fileName.string()));

  ExportRequest request;
  request.selection = model_.PlaybackSelection();
  // Every take from its first sample, whatever the slider shows; the length
  // is the longest selected take, the slider's range.
  request.length = uint32_t(Slider->Max());
  request.output = choice.fileName;
  request.format = choice.format;
  request.mixer = &transport_->Settings();
  request.normaliseTo = NormaliseTarget(WavSave.choice);
  RunConversion(ConversionExport, *ExpBtn, [&](const ConversionHooks& hooks) { return ExportTakes(request, hooks); });
}

}  // namespace tp
