#include "controls/skinapply.h"

#include "controls/skin.h"
#include "controls/skinbitmap.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"

namespace tp {

namespace {

constexpr ButtonLook kButtonLooks[] = {ButtonLook::Normal, ButtonLook::Pointed, ButtonLook::Down,
                                       ButtonLook::DownPointed, ButtonLook::Pressed};
constexpr KnobLook kKnobLooks[] = {KnobLook::Normal, KnobLook::Pointed, KnobLook::Focused, KnobLook::FocusedPointed,
                                   KnobLook::Disabled};

// A skin picture of `look`, rendered by `draw` for whatever ratio the
// control's screen has.
template <typename Look>
SkinBitmap Drawing(QImage (*draw)(Look, qreal), Look look) {
  return SkinBitmap::Drawn([draw, look](qreal ratio) { return draw(look, ratio); });
}

}  // namespace

void ApplyTakeCellSkin(TBtnMtx& matrix) {
  matrix.SetAlphaBlend(true);
  matrix.SetBtnWidth(60);
  matrix.SetBtnHeight(20);
  for (bool assigned : {true, false})
    for (ButtonLook look : kButtonLooks) {
      // No NBtnBmp: an idle take without audio shows the empty slot behind it.
      if (!assigned && look == ButtonLook::Normal) continue;
      matrix.SetStateBmp(look, assigned, SkinBitmap::Drawn([look, assigned](qreal ratio) {
                           return Skin::TakeCell(look, assigned, ratio);
                         }));
    }
}

void ApplyTrackCellSkin(TBtnMtx& matrix) {
  matrix.SetAlphaBlend(true);
  matrix.SetBtnWidth(20);
  matrix.SetBtnHeight(20);
  for (ButtonLook look : kButtonLooks) matrix.SetStateBmp(look, true, Drawing(&Skin::TrackCell, look));
}

void ApplyButtonSkin(TBPBtn& button, ButtonSkin skin) {
  const auto bitmap = [skin](ButtonLook look, qreal ratio) {
    switch (skin) {
      case ButtonSkin::MasterSel: return Skin::MasterSel(look, ratio);
      case ButtonSkin::AudBtn: return Skin::AudBtn(look, ratio);
      case ButtonSkin::ImpBtn: return Skin::CommandBtn(Skin::Command::Import, look, ratio);
      case ButtonSkin::ExpBtn: return Skin::CommandBtn(Skin::Command::Export, look, ratio);
      case ButtonSkin::InitBtn: return Skin::CommandBtn(Skin::Command::Init, look, ratio);
      case ButtonSkin::ClipLight: return Skin::ClipLight(look, ratio);
      case ButtonSkin::MuteBtn: return Skin::StripToggleKey(Skin::StripToggle::Mute, look, ratio);
      case ButtonSkin::SoloBtn: return Skin::StripToggleKey(Skin::StripToggle::Solo, look, ratio);
    }
    return QImage();
  };
  for (ButtonLook look : kButtonLooks)
    button.SetStateBmp(look, SkinBitmap::Drawn([bitmap, look](qreal ratio) { return bitmap(look, ratio); }));
}

void ApplyKnobSkin(TVolume& knob) {
  for (KnobLook look : kKnobLooks) knob.SetStateBmp(look, Drawing(&Skin::Knob, look));
}

void ApplySliderSkin(TSlider& slider) {
  slider.SetThumbWidth(12);
  slider.SetThumbHeight(12);
  slider.SetBaseBmp(SkinBitmap::Drawn(&Skin::SliderTrack));
  for (KnobLook look : kKnobLooks) slider.SetThumbBmp(look, Drawing(&Skin::SliderThumb, look));
}

}  // namespace tp
