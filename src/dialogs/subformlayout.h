// The rules by which the open dialog makes room for its sub-form: the
// minimum window size, the room added when the dialog opens, the split of
// the client area between the dialog's own controls and the sub-form, and
// where a dialog opens the first time. Plain arithmetic on integers, with no
// window involved.
#pragma once

namespace tp {

enum TSubFormPos { fpLeft, fpTop, fpRight, fpBottom, fpClient };

enum TSubFormAnchorKind : unsigned { faLeft = 1, faTop = 2, faRight = 4, faBottom = 8 };
using TSubFormAnchors = unsigned;  // a set of TSubFormAnchorKind
constexpr TSubFormAnchors AllSubFormAnchors = faLeft | faTop | faRight | faBottom;

// Margins around the dialog's own controls when the sub-form takes the
// whole client area (fpClient).
struct TDialogMinEdgeSpace {
  unsigned LeftSpace = 0, TopSpace = 0, RightSpace = 0, BottomSpace = 0;
  bool operator==(const TDialogMinEdgeSpace&) const = default;
};

// The margins the latest layout gave the sub-form.
struct TDialogEdgeSpace {
  int LeftSpace = 0, TopSpace = 0, RightSpace = 0, BottomSpace = 0;
  bool operator==(const TDialogEdgeSpace&) const = default;
};

struct LayoutSize {
  int width = 0, height = 0;
  bool operator==(const LayoutSize&) const = default;
};

struct LayoutPoint {
  int x = 0, y = 0;
  bool operator==(const LayoutPoint&) const = default;
};

// Edges, right and bottom exclusive.
struct LayoutRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const LayoutRect&) const = default;
};

// What a layout works from: the sub-form's place and client size (SW x SH),
// and the dialog as it was when the customizer took it over: window size
// W0 x H0 and client size C0w x C0h.
struct SubFormPlacement {
  TSubFormPos position = fpClient;
  bool hasSubForm = false;
  LayoutSize subForm;  // SW x SH
  TDialogMinEdgeSpace minEdgeSpace;
};

struct DialogTakeOver {
  LayoutSize window;  // W0 x H0
  LayoutSize client;  // C0w x C0h
};

// The smallest window size the user may resize the dialog to.
LayoutSize SubFormMinimumSize(const SubFormPlacement& placement, const DialogTakeOver& dialog);

// The window size the dialog grows to when it opens, so that the sub-form
// fits beside the dialog's controls at their own size.
LayoutSize RoomForSubForm(const SubFormPlacement& placement, const DialogTakeOver& dialog);

struct SubFormLayout {
  LayoutRect controls;  // the dialog's own controls
  LayoutRect subForm;   // empty without a sub-form
  TDialogEdgeSpace edgeSpace;
  bool operator==(const SubFormLayout&) const = default;
};

// Splits a client area of `client` between the dialog's controls and the
// sub-form. A margin that would squeeze the controls below their take-over
// client size gives up space in proportion to its size.
SubFormLayout LayOutSubForm(const SubFormPlacement& placement, const DialogTakeOver& dialog, LayoutSize client);

// Horizontally centred on `monitor` and one third of the free height down.
LayoutPoint FirstDialogPosition(const LayoutRect& monitor, LayoutSize dialogWindow);

}  // namespace tp
