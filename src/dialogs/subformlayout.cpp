#include "dialogs/subformlayout.h"

#include <algorithm>

namespace tp {

namespace {

TDialogEdgeSpace margins(const SubFormPlacement& placement) {
  if (!placement.hasSubForm) return {};
  const LayoutSize& form = placement.subForm;
  switch (placement.position) {
    case fpLeft: return {form.width, 0, 0, 0};
    case fpTop: return {0, form.height, 0, 0};
    case fpRight: return {0, 0, form.width, 0};
    case fpBottom: return {0, 0, 0, form.height};
    case fpClient: break;
  }
  const TDialogMinEdgeSpace& space = placement.minEdgeSpace;
  return {int(space.LeftSpace), int(space.TopSpace), int(space.RightSpace), int(space.BottomSpace)};
}

// Shares `available` between two margins in proportion to their sizes
// (integer division, the first margin rounded down). The minimum size keeps
// `available` from being negative while the user resizes; a client smaller
// than that, which only a caller can ask for, leaves both margins at 0.
void shrinkMargins(int& first, int& second, int available) {
  if (first + second <= 0) return;
  available = std::max(available, 0);
  first = int(static_cast<long long>(available) * first / (first + second));
  second = available - first;
}

}  // namespace

LayoutSize SubFormMinimumSize(const SubFormPlacement& placement, const DialogTakeOver& dialog) {
  const LayoutSize& window = dialog.window;
  if (!placement.hasSubForm) return window;
  const int frameWidth = window.width - dialog.client.width;
  const int frameHeight = window.height - dialog.client.height;
  const LayoutSize& form = placement.subForm;
  switch (placement.position) {
    case fpLeft:
    case fpRight: return {window.width + form.width, std::max(window.height, form.height + frameHeight)};
    case fpTop:
    case fpBottom: return {std::max(window.width, form.width + frameWidth), window.height + form.height};
    case fpClient: break;
  }
  const TDialogMinEdgeSpace& space = placement.minEdgeSpace;
  LayoutSize minimum{window.width + int(space.LeftSpace + space.RightSpace),
                     window.height + int(space.TopSpace + space.BottomSpace)};
  if (space.TopSpace != 0 || space.BottomSpace != 0)
    minimum.width = std::max(minimum.width, form.width + frameWidth);
  if (space.LeftSpace != 0 || space.RightSpace != 0)
    minimum.height = std::max(minimum.height, form.height + frameHeight);
  return minimum;
}

LayoutSize RoomForSubForm(const SubFormPlacement& placement, const DialogTakeOver& dialog) {
  const LayoutSize& window = dialog.window;
  if (!placement.hasSubForm) return window;
  const TDialogEdgeSpace added = margins(placement);
  return {window.width + added.LeftSpace + added.RightSpace, window.height + added.TopSpace + added.BottomSpace};
}

SubFormLayout LayOutSubForm(const SubFormPlacement& placement, const DialogTakeOver& dialog, LayoutSize client) {
  TDialogEdgeSpace edge = margins(placement);
  if (client.width - edge.LeftSpace - edge.RightSpace < dialog.client.width)
    shrinkMargins(edge.LeftSpace, edge.RightSpace, client.width - dialog.client.width);
  if (client.height - edge.TopSpace - edge.BottomSpace < dialog.client.height)
    shrinkMargins(edge.TopSpace, edge.BottomSpace, client.height - dialog.client.height);

  SubFormLayout layout;
  layout.controls = {edge.LeftSpace, edge.TopSpace, client.width - edge.RightSpace, client.height - edge.BottomSpace};
  layout.edgeSpace = edge;
  if (!placement.hasSubForm) return layout;
  layout.subForm = {0, 0, client.width, client.height};
  switch (placement.position) {
    case fpLeft: layout.subForm.right = layout.controls.left; break;
    case fpRight: layout.subForm.left = layout.controls.right; break;
    case fpTop: layout.subForm.bottom = layout.controls.top; break;
    case fpBottom: layout.subForm.top = layout.controls.bottom; break;
    case fpClient: break;  // the whole client area, under the controls
  }
  return layout;
}

LayoutPoint FirstDialogPosition(const LayoutRect& monitor, LayoutSize dialogWindow) {
  // C++ division truncates toward zero, as the placement wants for a dialog
  // larger than its monitor.
  return {monitor.left + (monitor.width() - dialogWindow.width) / 2,
          monitor.top + (monitor.height() - dialogWindow.height) / 3};
}

}  // namespace tp
