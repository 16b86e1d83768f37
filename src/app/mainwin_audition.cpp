// The audition and the mixer strips of the main window. The takes, the mix
// and the stream live in Transport; the window starts and ends it, moves the
// slider with its position notices and hands it the knobs' positions.
#include <QLabel>

#include <algorithm>

#include "app/mainwin_labels.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbpbtn.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "project/taketime.h"

namespace tp {
namespace {

// The strip a knob belongs to, -1 for a knob of no strip.
int StripOf(const std::array<TVolume*, 16>& knobs, const TVolume* knob) {
  const auto found = std::find(knobs.begin(), knobs.end(), knob);
  return found == knobs.end() ? -1 : int(found - knobs.begin());
}

}  // namespace

void TMainWin::WireAudition() {
  connect(AudBtn, &TBPBtn::OnClick, this, [this] { AudBtnClick(); });
  connect(Slider, &TSlider::OnChanging, this, &TMainWin::SliderChanging);
  connect(Slider, &TSlider::OnChanged, this, &TMainWin::SliderChanged);
  for (int strip = 0; strip < TrackCount; ++strip) {
    // A double-click puts a knob back where Home and INIT do.
    Volumes[strip]->SetDefaultPosition(DefaultVolume);
    Pans[strip]->SetDefaultPosition(DefaultPan);
    connect(Volumes[strip], &TVolume::OnChange, this, &TMainWin::Volume1Change);
    connect(Pans[strip], &TVolume::OnChange, this, &TMainWin::Pan1Change);
    Volumes[strip]->OnKeyDown = [this](TVolume* sender, int& key, Qt::KeyboardModifiers shift) {
      Volume1KeyDown(sender, key, shift);
    };
    Pans[strip]->OnKeyDown = [this](TVolume* sender, int& key, Qt::KeyboardModifiers shift) {
      Pan1KeyDown(sender, key, shift);
    };
  }
  connect(InitBtn, &TBPBtn::OnClick, this, [this] { InitBtnClick(); });
  BuildSoundOutputLabel();
}

// ---------------------------------------------------------------------------
// Transport

void TMainWin::AudBtnClick() {
  if (!AudBtn->Down()) {
    // The stop itself happens when the notice comes back, in PlayEnd.
    transport_->RequestStop();
    return;
  }
  Playing = true;
  PauseThumbnailsWhileBusy();  // before the takes are opened: one reader at a time
  const int opened = transport_->Start(model_.PlaybackSelection(), uint32_t(Slider->Position()));
  ShowSoundOutput();
  if (opened < 0) {
    AuditionNotStarted(opened);
    return;
  }
  StartMeters();
}

// The stream's service thread.
void TMainWin::PostPlayEnd(int rewind) {
  QMetaObject::invokeMethod(this, [this, rewind] { PlayEnd(rewind); }, Qt::QueuedConnection);
}

// The stream's service thread.
void TMainWin::PostPlayPos(uint32_t position) {
  const uint32_t seekCount = seekCount_.load();
  QMetaObject::invokeMethod(this, [this, position, seekCount] { PlayPos(position, seekCount); },
                            Qt::QueuedConnection);
}

void TMainWin::PlayEnd(int rewind) {
  // Closes the takes only once the stream's thread has ended.
  if (transport_->OnPlayEnd(rewind)) Slider->SetPosition(0);
  Playing = false;
  AudBtn->SetDown(false);
  // A take that could not be read stopped the audition: say which and why.
  if (const Status failure = transport_->ReadFailure(); rewind == PlayEndedByReadError && !failure.ok())
    dialogs_->Message(this,
                      MessageText(failure.message()) + QLatin1Char('\n') + QString::fromStdString(failure.Detail()));
}

void TMainWin::PlayPos(uint32_t position, uint32_t seekCount) {
  // Notices mixed after the user ended the audition arrive behind its end
  // notice; the slider stays where the audition stopped.
  if (!Playing || seekCount != seekCount_.load()) return;
  // SliderChanging shows the time and tells the transport.
  Slider->SetPosition(int(std::min<uint32_t>(position, uint32_t(Slider->Max()))));
}

void TMainWin::SliderChanging(TSlider* slider, int position) {
  const auto time = [](int frames) { return QString::fromStdString(FormatPlayTime(uint32_t(std::max(frames, 0)))); };
  StatusPanels[1]->setText(time(position) + QStringLiteral(" / ") + time(slider->Max()));
  transport_->SetSliderPosition(uint32_t(std::max(position, 0)));
}

void TMainWin::SliderChanged(TSlider*, int position) {
  if (!Playing) return;  // the next audition starts from here
  transport_->Seek(uint32_t(std::max(position, 0)));
  ++seekCount_;
}

// ---------------------------------------------------------------------------
// Mixer strips. The mixing thread reads the settings at the start of each
// block, so a change is heard from the next block on.

void TMainWin::Volume1Change(TVolume* control, int position) {
  const int strip = StripOf(Volumes, control);
  if (strip < 0) return;
  transport_->Settings().volume[strip] = position;
  VolVals[strip]->setText(QString::number(position));
}

void TMainWin::Pan1Change(TVolume* control, int position) {
  const int strip = StripOf(Pans, control);
  if (strip < 0) return;
  transport_->Settings().pan[strip] = position;
  PanVals[strip]->setText(PanText(position));
}

// A knob set from code fires no OnChange: these handlers write the setting
// and the label themselves.
void TMainWin::Volume1KeyDown(TVolume* sender, int& key, Qt::KeyboardModifiers) {
  const int strip = StripOf(Volumes, sender);
  if (key != Qt::Key_Home || strip < 0) return;
  key = 0;
  sender->SetPosition(DefaultVolume);
  transport_->Settings().volume[strip] = DefaultVolume;
  VolVals[strip]->setText(QString::number(DefaultVolume));
}

void TMainWin::Pan1KeyDown(TVolume* sender, int& key, Qt::KeyboardModifiers) {
  const int strip = StripOf(Pans, sender);
  if (key != Qt::Key_Home || strip < 0) return;
  key = 0;
  sender->SetPosition(DefaultPan);
  transport_->Settings().pan[strip] = DefaultPan;
  PanVals[strip]->setText(PanText(DefaultPan));
}

// The mixer back to the design's defaults; the chosen takes stay.
void TMainWin::InitBtnClick() {
  ShowMix(SavedMix());
  KeepSongMix();
  InitBtn->SetDown(false);
}

}  // namespace tp
