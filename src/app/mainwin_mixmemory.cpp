// "Keep each song's mix": the Mixer page's check box. Ticked, the window
// keeps each song's mixer (volume, pan, mute, solo) and its chosen takes in
// the core's SavedMixes file, and gives them back when the song is chosen
// again, also after a restart. Unticked (the design's way, and the default)
// nothing is kept and a song starts from whatever the mixer shows.
#include <QCheckBox>
#include <QFile>
#include <QLabel>

#include "app/mainwin_labels.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tvolume.h"

namespace tp {

namespace {

// The song the model shows, as the saved mixes know it.
std::optional<std::string> shownSong(const ProjectModel& model) {
  if (!model.ProjectOpen) return std::nullopt;
  return SongIdentity(model.ProjectFolder, model.ProjectName);
}

}  // namespace

void TMainWin::BuildMixMemory(std::filesystem::path file) {
  savedMixes_ = std::make_unique<SavedMixes>(file.empty() ? DefaultSavedMixesFile() : std::move(file));
  KeepMixBox = new QCheckBox(tr("Keep each song's mix"), MixerPanel);
  // Between the strips and INIT (the sound output is named below INIT), in
  // the strips' light lettering.
  KeepMixBox->setGeometry(4, 338, 184, 18);
  KeepMixBox->setPalette(FaderLabel->palette());
  KeepMixBox->setFont(FaderLabel->font());
  KeepMixBox->setToolTip(tr("Remember each song's mixer and chosen takes, and give them back when the song is "
                            "chosen again"));
  // The user's tick (not the settings' at start-up): the mix shown now is
  // the song's from here on.
  connect(KeepMixBox, &QCheckBox::clicked, this, [this](bool keep) {
    if (!keep) return;
    LoadSavedMixes();
    KeepSongMix();
  });
}

void TMainWin::LoadSavedMixes() {
  if (const Status loaded = savedMixes_->Load(); !loaded.ok()) StatusPanels[0]->setText(StatusText(loaded));
}

bool TMainWin::KeepingMixes() const { return KeepMixBox && KeepMixBox->isChecked(); }

void TMainWin::KeepSongMix() {
  if (!KeepingMixes()) return;
  const auto song = shownSong(model_);
  if (!song) return;
  const MixerSettings& settings = transport_->Settings();
  std::array<int, 16> volume, pan;
  std::array<bool, 16> mute, solo;
  for (size_t strip = 0; strip < 16; ++strip) {
    volume[strip] = settings.volume[strip].load();
    pan[strip] = settings.pan[strip].load();
    mute[strip] = settings.mute[strip].load();
    solo[strip] = settings.solo[strip].load();
  }
  const SavedMix mix = SelectedMixOf(model_, volume, pan, mute, solo);
  if (const SavedMix* kept = savedMixes_->Find(*song); kept && *kept == mix) return;
  savedMixes_->Keep(*song, mix);
  if (const Status saved = savedMixes_->Save(); !saved.ok()) StatusPanels[0]->setText(StatusText(saved));
}

void TMainWin::RestoreSongMix() {
  if (!KeepingMixes()) return;
  const auto song = shownSong(model_);
  if (!song) return;
  const SavedMix* kept = savedMixes_->Find(*song);
  // A song with no mix kept starts from the design's defaults.
  const SavedMix mix = WithTakesOf(kept ? *kept : SavedMix(), model_);
  for (int track = 0; track < TrackCount; ++track)
    if (const int take = mix.take[size_t(track)]; take >= 0) model_.TakeSelClick(track, take);
  if (mix.masterTake >= 0) model_.MasTakeSelClick(mix.masterTake);
  if (mix.masterMode) model_.MasterSelClick(true);
  ShowMix(mix);
}

void TMainWin::ShowMix(const SavedMix& mix) {
  MixerSettings& settings = transport_->Settings();
  for (int strip = 0; strip < TrackCount; ++strip) {
    const size_t s = size_t(strip);
    Volumes[s]->SetPosition(mix.volume[s]);
    VolVals[s]->setText(QString::number(mix.volume[s]));
    Pans[s]->SetPosition(mix.pan[s]);
    PanVals[s]->setText(PanText(mix.pan[s]));
    settings.volume[s] = mix.volume[s];
    settings.pan[s] = mix.pan[s];
    settings.mute[s] = mix.mute[s];
    settings.solo[s] = mix.solo[s];
  }
  ShowMuteSolo();
}

}  // namespace tp
