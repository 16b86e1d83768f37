// Hands the skin's bitmaps to the controls the way the main window's layout
// gives them: cell sizes, AlphaBlend and the state bitmaps. Colours,
// captions, positions and backgrounds stay the owner's business.
#pragma once

namespace tp {

class TBPBtn;
class TBtnMtx;
class TSlider;
class TVolume;

enum class ButtonSkin { MasterSel, AudBtn, ImpBtn, ExpBtn, InitBtn, ClipLight, MuteBtn, SoloBtn };

// TakeSel and MasTakeSel: 60 x 20 cells, every state bitmap but NBtnBmp.
void ApplyTakeCellSkin(TBtnMtx& matrix);
// TrackSel: 20 x 20 cells, the five bitmaps of Assigned cells.
void ApplyTrackCellSkin(TBtnMtx& matrix);
// The five state bitmaps of one of the main window's buttons.
void ApplyButtonSkin(TBPBtn& button, ButtonSkin skin);
// The five knob pictures.
void ApplyKnobSkin(TVolume& knob);
// The track and the five thumb pictures; ThumbWidth and ThumbHeight 12.
void ApplySliderSkin(TSlider& slider);

}  // namespace tp
