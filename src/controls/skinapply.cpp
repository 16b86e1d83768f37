#include "controls/skinapply.h"

#include "controls/skin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"

namespace tp {

using Skin::ButtonLook;
using Skin::KnobLook;

void ApplyTakeCellSkin(TBtnMtx& matrix) {
  matrix.SetAlphaBlend(true);
  matrix.SetBtnWidth(60);
  matrix.SetBtnHeight(20);
  matrix.SetBtnBmp(Skin::TakeCell(ButtonLook::Normal, true));
  matrix.SetPointBtnBmp(Skin::TakeCell(ButtonLook::Pointed, true));
  matrix.SetDownBtnBmp(Skin::TakeCell(ButtonLook::Down, true));
  matrix.SetDPointBtnBmp(Skin::TakeCell(ButtonLook::DownPointed, true));
  matrix.SetPressBtnBmp(Skin::TakeCell(ButtonLook::Pressed, true));
  // No NBtnBmp: an idle take without audio shows the empty slot behind it.
  matrix.SetPointNBtnBmp(Skin::TakeCell(ButtonLook::Pointed, false));
  matrix.SetDownNBtnBmp(Skin::TakeCell(ButtonLook::Down, false));
  matrix.SetDPointNBtnBmp(Skin::TakeCell(ButtonLook::DownPointed, false));
  matrix.SetPressNBtnBmp(Skin::TakeCell(ButtonLook::Pressed, false));
}

void ApplyTrackCellSkin(TBtnMtx& matrix) {
  matrix.SetAlphaBlend(true);
  matrix.SetBtnWidth(20);
  matrix.SetBtnHeight(20);
  matrix.SetBtnBmp(Skin::TrackCell(ButtonLook::Normal));
  matrix.SetPointBtnBmp(Skin::TrackCell(ButtonLook::Pointed));
  matrix.SetDownBtnBmp(Skin::TrackCell(ButtonLook::Down));
  matrix.SetDPointBtnBmp(Skin::TrackCell(ButtonLook::DownPointed));
  matrix.SetPressBtnBmp(Skin::TrackCell(ButtonLook::Pressed));
}

void ApplyButtonSkin(TBPBtn& button, ButtonSkin skin) {
  const auto bitmap = [skin](ButtonLook look) {
    switch (skin) {
      case ButtonSkin::MasterSel: return Skin::MasterSel(look);
      case ButtonSkin::AudBtn: return Skin::AudBtn(look);
      case ButtonSkin::ImpBtn: return Skin::CommandBtn(Skin::Command::Import, look);
      case ButtonSkin::ExpBtn: return Skin::CommandBtn(Skin::Command::Export, look);
      case ButtonSkin::InitBtn: return Skin::CommandBtn(Skin::Command::Init, look);
      case ButtonSkin::ClipLight: return Skin::ClipLight(look);
      case ButtonSkin::MuteBtn: return Skin::StripToggleKey(Skin::StripToggle::Mute, look);
      case ButtonSkin::SoloBtn: return Skin::StripToggleKey(Skin::StripToggle::Solo, look);
    }
    return QImage();
  };
  button.SetBtnBmp(bitmap(ButtonLook::Normal));
  button.SetPointBtnBmp(bitmap(ButtonLook::Pointed));
  button.SetDownBtnBmp(bitmap(ButtonLook::Down));
  button.SetDPointBtnBmp(bitmap(ButtonLook::DownPointed));
  button.SetPressBtnBmp(bitmap(ButtonLook::Pressed));
}

void ApplyKnobSkin(TVolume& knob) {
  knob.SetNormBmp(Skin::Knob(KnobLook::Normal));
  knob.SetPointBmp(Skin::Knob(KnobLook::Pointed));
  knob.SetFocusBmp(Skin::Knob(KnobLook::Focused));
  knob.SetFocusPointBmp(Skin::Knob(KnobLook::FocusedPointed));
  knob.SetDisBmp(Skin::Knob(KnobLook::Disabled));
}

void ApplySliderSkin(TSlider& slider) {
  slider.SetThumbWidth(12);
  slider.SetThumbHeight(12);
  slider.SetBaseBmp(Skin::SliderTrack());
  slider.SetThumbNorm(Skin::SliderThumb(KnobLook::Normal));
  slider.SetThumbPoint(Skin::SliderThumb(KnobLook::Pointed));
  slider.SetThumbFocus(Skin::SliderThumb(KnobLook::Focused));
  slider.SetThumbFocusPoint(Skin::SliderThumb(KnobLook::FocusedPointed));
  slider.SetThumbDis(Skin::SliderThumb(KnobLook::Disabled));
}

}  // namespace tp
