// The mixer strips' mute and solo keys. Each key latches, and its state
// goes straight into the transport's mixer settings, which the mixing thread
// reads at the start of every block: a muted or unsoloed track falls silent
// with the next block, yet its take is still read, so it comes back in time.
#include <QApplication>
#include <QTabWidget>

#include <algorithm>

#include "app/tmainwin.h"
#include "controls/skinapply.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tvolume.h"

namespace tp {
namespace {

// The strip a control belongs to, -1 for none.
template <typename Control>
int StripOf(const std::array<Control*, 16>& controls, const QObject* control) {
  const auto found = std::find(controls.begin(), controls.end(), control);
  return found == controls.end() ? -1 : int(found - controls.begin());
}

}  // namespace

void TMainWin::BuildMuteSolo() {
  for (int t = 0; t < TrackCount; ++t) {
    const int y = 20 + 20 * t;
    MuteBtns[t] = new TBPBtn(MixerPanel);
    MuteBtns[t]->setGeometry(116, y, 16, 15);
    ApplyButtonSkin(*MuteBtns[t], ButtonSkin::MuteBtn);
    SoloBtns[t] = new TBPBtn(MixerPanel);
    SoloBtns[t]->setGeometry(134, y, 16, 15);
    ApplyButtonSkin(*SoloBtns[t], ButtonSkin::SoloBtn);
  }
}

void TMainWin::WireMuteSolo() {
  for (int t = 0; t < TrackCount; ++t) {
    for (TBPBtn* button : {MuteBtns[t], SoloBtns[t]})
      connect(button, &TBPBtn::OnClick, this, &TMainWin::MuteSoloClick);
    MuteBtns[t]->setToolTip(tr("Mute"));
    MuteBtns[t]->setStatusTip(tr("Mute|Silence track %1 (key M)").arg(t + 1));
    SoloBtns[t]->setToolTip(tr("Solo"));
    SoloBtns[t]->setStatusTip(tr("Solo|Hear track %1 and the other soloed tracks only (key S)").arg(t + 1));
  }
}

void TMainWin::MuteSoloClick(TBPBtn* button) {
  MixerSettings& settings = transport_->Settings();
  if (const int strip = StripOf(MuteBtns, button); strip >= 0) settings.mute[strip] = button->Down();
  if (const int strip = StripOf(SoloBtns, button); strip >= 0) settings.solo[strip] = button->Down();
}

void TMainWin::ShowMuteSolo() {
  const MixerSettings& settings = transport_->Settings();
  for (int t = 0; t < TrackCount; ++t) {
    MuteBtns[t]->SetDown(settings.mute[t].load());
    SoloBtns[t]->SetDown(settings.solo[t].load());
  }
}

bool TMainWin::MuteSoloKey(QChar key) {
  const QChar letter = key.toUpper();
  if (letter != QLatin1Char('M') && letter != QLatin1Char('S')) return false;
  if (PageControl->currentWidget() != MixerPanel || !MixerPanel->isEnabled()) return false;
  const QWidget* focused = QApplication::focusWidget();
  int strip = StripOf(Volumes, focused);
  if (strip < 0) strip = StripOf(Pans, focused);
  if (strip < 0) return false;
  // As a click does: the key latches or lets go, then its handler runs.
  TBPBtn* button = letter == QLatin1Char('M') ? MuteBtns[strip] : SoloBtns[strip];
  button->SetDown(!button->Down());
  MuteSoloClick(button);
  return true;
}

}  // namespace tp
