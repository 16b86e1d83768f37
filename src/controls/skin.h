// The program's skin: every bitmap of the main window's panels and skinned
// controls, drawn from code on request. The look is a dark recording
// console: a charcoal face with recessed wells, steel-blue cells for takes
// that hold audio, amber lamps for whatever is latched, light key caps for
// the track and master keys.
//
// State bitmaps come out as 32-bit Format_ARGB32 with a real alpha channel,
// each the size of its control or cell; panel bitmaps are opaque. Every
// picture is drawn for a device pixel ratio (`ratio`): its size below is in
// logical pixels, its image that size times the ratio, with the ratio set as
// its devicePixelRatio, so that a screen at 200 % gets it drawn at 200 %.
// At ratio 1 each is exactly the 100 % picture.
#pragma once

#include <QImage>
#include <QRect>

#include "controls/skinbitmap.h"

namespace tp::Skin {

using tp::ButtonLook;
using tp::KnobLook;

enum class Command { Import, Export, Init };

// The mixer strip's two small keys.
enum class StripToggle { Mute, Solo };

// Main window face (BitPanel), 667 x 446. Its empty take slots, wells and
// strips lie under the controls at the positions of the main window's layout.
QImage MainPanel(qreal ratio = 1);
// Where the face shows the program's name plate ("TRACKPORTER"), in the
// face's coordinates: a click there opens the About box.
QRect NamePlate();
// Time page (BitPanel1), a 10 x 10 tile.
QImage TimePanel(qreal ratio = 1);
// Mixer page (MixerPanel), 100 x 400, tiled: one strip per track every 20
// pixels from y 19, the same all the way across so that tiles join.
QImage MixerPanel(qreal ratio = 1);

// Take cells, 60 x 20 (TakeSel, MasTakeSel). `assigned` false gives the N set
// for takes without audio; TakeSel leaves NBtnBmp empty so that an idle empty
// take shows the slot in the panel behind it.
QImage TakeCell(ButtonLook look, bool assigned, qreal ratio = 1);
// Track keys, 20 x 20 (TrackSel), under a black caption.
QImage TrackCell(ButtonLook look, qreal ratio = 1);
// The master key, 20 x 20, under the caption "M" in black.
QImage MasterSel(ButtonLook look, qreal ratio = 1);
// The audition key, 30 x 16: a play sign, lit green while sounding.
QImage AudBtn(ButtonLook look, qreal ratio = 1);
// Import, export and mixer-reset keys, 56 x 20, with their names on them.
QImage CommandBtn(Command command, ButtonLook look, qreal ratio = 1);

// The rotary control, 17 x 17: a dark knob that the white pointer line shows on.
QImage Knob(KnobLook look, qreal ratio = 1);
// The slider's track, 300 x 12, and its thumb, 12 x 12.
QImage SliderTrack(qreal ratio = 1);
QImage SliderThumb(KnobLook look, qreal ratio = 1);

// A level meter's bar, `size` big, on the meters' dB scale from left to
// right: lit, or the dark segments an empty meter shows. Segments are green
// up to -18 dBFS, amber up to -6 dBFS and red above, like lamps behind a
// grille; a meter draws the dark bar and the lit one up to its level.
QImage MeterBar(QSize size, bool lit, qreal ratio = 1);
// The colour of a meter's hold mark at `decibels`: that segment's lamp, brightened.
QColor MeterHoldColour(double decibels);
// The mix's clip light, 18 x 10: a red lamp, lit in the Down looks.
QImage ClipLight(ButtonLook look, qreal ratio = 1);
// The mixer strip's mute and solo keys, 16 x 15, marked "M" and "S": a
// latched mute glows red, a latched solo amber.
QImage StripToggleKey(StripToggle which, ButtonLook look, qreal ratio = 1);

}  // namespace tp::Skin
