// The export from the window: the save dialog, the choice between WAV and
// AIFF, and ExportTakes run block by block with the mixer's settings.
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

// The second pair of WavSave's filter.
constexpr int AiffFilterIndex = 2;

// "<song> mix": the project's name as shown, without its padding.
std::string MixStem(const std::string& projectNameBytes) {
  std::string song = NameBytesToUtf8(projectNameBytes);
  while (!song.empty() && song.back() == ' ') song.pop_back();
  song = SafeFileNameComponent(song);
  return song.empty() ? std::string("mix") : song + " mix";
}

// The save dialog's "Normalise to" choice: off, or the loudness of
// streaming services (-14 and -16 LUFS) or of broadcast (-23 LUFS).
constexpr std::array<double, 3> NormaliseTargets{-14, -16, -23};

QStringList NormaliseChoices() {
  QStringList choices{MessageText(messages::NormaliseOff)};
  for (double lufs : NormaliseTargets) choices << QStringLiteral("\u2212%1 LUFS").arg(-lufs);
  return choices;
}

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
  return QString::fromStdString(stem) + QStringLiteral(".wav");
}

void TMainWin::WireExport() {
  WavSave.filter = QStringLiteral("Windows Wave(*.wav)|*.wav|AIFF(*.aif)|*.aif");
  WavSave.defaultExt = QStringLiteral("wav");
  WavSave.choiceLabel = MessageText(messages::NormaliseToLabel);
  WavSave.choices = NormaliseChoices();
  connect(ExpBtn, &TBPBtn::OnClick, this, [this] { ExpBtnClick(); });
}

void TMainWin::ExpBtnClick() {
  if (Conversion != ConversionIdle) {
    // The click that raised the button of the running export stops it
    // before its next block.
    if (!ExpBtn->Down()) AbortRequested = true;
    return;
  }
  // Every export is offered the name of what is chosen now, in the folder of
  // the last export: an earlier name would point Enter at an unrelated file
  // and the replace question. Only the folder is remembered.
  SaveDialog offer = WavSave;
  offer.fileName = QDir(LastExportFolder).filePath(SuggestedExportName());
  offer.filterIndex = 1;
  if (!dialogs_->SaveFile(this, offer)) {
    ExpBtn->SetDown(false);
    return;
  }
  WavSave = offer;
  LastExportFolder = QFileInfo(WavSave.fileName).absolutePath();
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
  request.normaliseTo = NormaliseTarget(WavSave.choice);
  RunConversion(ConversionExport, *ExpBtn, [&](const ConversionHooks& hooks) { return ExportTakes(request, hooks); });
}

}  // namespace tp
