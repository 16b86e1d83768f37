// The open dialog's layout rules on tables of cases worked out by hand.
// The dialog in every case: window 640 x 480 with a client of 630 x 450
// (frame 10 wide, 30 high); the sub-form's client 416 x 96 (the wave
// preview); the edge space for fpClient 10, 20, 30, 40.
#include "dialogs/subformlayout.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tp {

std::ostream& operator<<(std::ostream& out, const LayoutSize& size) {
  return out << size.width << " x " << size.height;
}
std::ostream& operator<<(std::ostream& out, const LayoutRect& rect) {
  return out << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << ")";
}
std::ostream& operator<<(std::ostream& out, const LayoutPoint& point) {
  return out << "(" << point.x << ", " << point.y << ")";
}

namespace {

const DialogTakeOver Dialog{{640, 480}, {630, 450}};
const TDialogMinEdgeSpace EdgeSpace{10, 20, 30, 40};

SubFormPlacement placement(TSubFormPos position, LayoutSize form = {416, 96}) {
  return {position, true, form, EdgeSpace};
}

const char* positionName(TSubFormPos position) {
  static const char* const names[] = {"fpLeft", "fpTop", "fpRight", "fpBottom", "fpClient"};
  return names[position];
}

TEST(SubFormMinimumSize, KeepsTheControlsAtTheirSizeBesideTheSubForm) {
  struct Case {
    SubFormPlacement placement;
    LayoutSize minimum;
  };
  const Case cases[] = {
      {placement(fpLeft), {640 + 416, 480}},
      {placement(fpRight), {640 + 416, 480}},
      {placement(fpTop), {640, 480 + 96}},
      {placement(fpBottom), {640, 480 + 96}},
      // The margins of fpClient; the sub-form itself fits under the controls.
      {placement(fpClient), {640 + 10 + 30, 480 + 20 + 40}},
      // A sub-form wider than the dialog sets the width (with the frame).
      {placement(fpBottom, {800, 96}), {800 + 10, 480 + 96}},
      {placement(fpTop, {800, 96}), {800 + 10, 480 + 96}},
      // A sub-form taller than the dialog sets the height.
      {placement(fpLeft, {200, 600}), {640 + 200, 600 + 30}},
      {placement(fpRight, {200, 600}), {640 + 200, 600 + 30}},
      // fpClient with margins on both axes grows to hold the sub-form too.
      {placement(fpClient, {800, 600}), {800 + 10, 600 + 30}},
      {{fpClient, true, {800, 600}, {0, 5, 0, 0}}, {800 + 10, 480 + 5}},
      {{fpClient, true, {800, 600}, {5, 0, 0, 0}}, {640 + 5, 600 + 30}},
      {{fpClient, true, {800, 600}, {}}, {640, 480}},
      // No sub-form: the dialog's own size, whatever the position.
      {{fpBottom, false, {416, 96}, EdgeSpace}, {640, 480}},
      {{fpClient, false, {416, 96}, EdgeSpace}, {640, 480}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(positionName(c.placement.position));
    EXPECT_EQ(SubFormMinimumSize(c.placement, Dialog), c.minimum);
  }
}

TEST(RoomForSubForm, GrowsTheDialogBySubFormOnItsSide) {
  struct Case {
    SubFormPlacement placement;
    LayoutSize window;
  };
  const Case cases[] = {
      {placement(fpLeft), {640 + 416, 480}},
      {placement(fpRight), {640 + 416, 480}},
      {placement(fpTop), {640, 480 + 96}},
      {placement(fpBottom), {640, 480 + 96}},
      {placement(fpClient), {640 + 10 + 30, 480 + 20 + 40}},
      {{fpBottom, false, {416, 96}, EdgeSpace}, {640, 480}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(positionName(c.placement.position));
    EXPECT_EQ(RoomForSubForm(c.placement, Dialog), c.window);
  }
}

TEST(LayOutSubForm, SplitsTheClientAreaBetweenControlsAndSubForm) {
  struct Case {
    const char* name;
    SubFormPlacement placement;
    LayoutSize client;
    LayoutRect controls;
    LayoutRect subForm;
    TDialogEdgeSpace edge;
  };
  const Case cases[] = {
      // The client each position opens with.
      {"left", placement(fpLeft), {1046, 450}, {416, 0, 1046, 450}, {0, 0, 416, 450}, {416, 0, 0, 0}},
      {"right", placement(fpRight), {1046, 450}, {0, 0, 630, 450}, {630, 0, 1046, 450}, {0, 0, 416, 0}},
      {"top", placement(fpTop), {630, 546}, {0, 96, 630, 546}, {0, 0, 630, 96}, {0, 96, 0, 0}},
      {"bottom", placement(fpBottom), {630, 546}, {0, 0, 630, 450}, {0, 450, 630, 546}, {0, 0, 0, 96}},
      {"client", placement(fpClient), {670, 510}, {10, 20, 640, 470}, {0, 0, 670, 510}, {10, 20, 30, 40}},
      // Resized larger: the strip keeps its size and stretches along its side.
      {"bottom larger", placement(fpBottom), {900, 700}, {0, 0, 900, 604}, {0, 604, 900, 700}, {0, 0, 0, 96}},
      {"left larger", placement(fpLeft), {1200, 700}, {416, 0, 1200, 700}, {0, 0, 416, 700}, {416, 0, 0, 0}},
      {"client larger", placement(fpClient), {900, 700}, {10, 20, 870, 660}, {0, 0, 900, 700}, {10, 20, 30, 40}},
      // Too small for margins and controls: the margins give up what is
      // missing in proportion to their sizes. 650 - 630 = 20 shared 10:30
      // gives 5 and 15; 480 - 450 = 30 shared 20:40 gives 10 and 20.
      {"client squeezed", placement(fpClient), {650, 480}, {5, 10, 635, 460}, {0, 0, 650, 480}, {5, 10, 15, 20}},
      // 7 shared 10:30 gives 1 (7 x 10 / 40, rounded down) and the rest 6.
      {"client rounding", placement(fpClient), {637, 510}, {1, 20, 631, 470}, {0, 0, 637, 510}, {1, 20, 6, 40}},
      {"bottom squeezed", placement(fpBottom), {630, 500}, {0, 0, 630, 450}, {0, 450, 630, 500}, {0, 0, 0, 50}},
      {"right squeezed", placement(fpRight), {700, 450}, {0, 0, 630, 450}, {630, 0, 700, 450}, {0, 0, 70, 0}},
      // Smaller than the controls at take-over (the minimum size prevents
      // it): the strip has no room left at all.
      {"bottom below minimum", placement(fpBottom), {630, 400}, {0, 0, 630, 400}, {0, 400, 630, 400}, {0, 0, 0, 0}},
      // No sub-form: the controls take everything.
      {"none", {fpBottom, false, {416, 96}, EdgeSpace}, {630, 450}, {0, 0, 630, 450}, {}, {}},
      {"none client", {fpClient, false, {416, 96}, EdgeSpace}, {800, 600}, {0, 0, 800, 600}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SubFormLayout layout = LayOutSubForm(c.placement, Dialog, c.client);
    EXPECT_EQ(layout.controls, c.controls);
    EXPECT_EQ(layout.subForm, c.subForm);
    EXPECT_EQ(layout.edgeSpace, c.edge);
  }
}

TEST(FirstDialogPosition, CentresHorizontallyAndOneThirdDown) {
  struct Case {
    LayoutRect monitor;
    LayoutSize dialog;
    LayoutPoint position;
  };
  const Case cases[] = {
      {{0, 0, 1280, 800}, {640, 576}, {320, 74}},           // 224 / 3 = 74.7
      {{1280, 0, 3200, 1080}, {700, 500}, {1890, 193}},     // a second monitor on the right
      {{0, -1080, 1920, 0}, {600, 400}, {660, -854}},       // one above the primary
      // Larger than the monitor: the division truncates toward zero.
      {{0, 0, 800, 600}, {1001, 700}, {-100, -33}},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstDialogPosition(c.monitor, c.dialog), c.position);
}

}  // namespace
}  // namespace tp
