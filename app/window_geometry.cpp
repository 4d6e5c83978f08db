// Anchored placement of a control on resize, and the place of a window on its screen.
#include "app/window_geometry.h"

#include <algorithm>

namespace ranta2kv {
namespace {

struct Span {
  int start;
  int length;
};

// One axis: the designed span, the growth of the client area along it, and
// whether the control holds on to the near and the far edge.
Span AnchoredSpan(Span designed, int growth, bool nearEdge, bool farEdge) {
  if (nearEdge && farEdge) return {designed.start, std::max(0, designed.length + growth)};
  if (farEdge) return {designed.start + growth, designed.length};
  if (nearEdge) return designed;
  return {designed.start + growth / 2, designed.length};
}

}  // namespace

ControlRect AnchoredRect(ControlRect designed, ClientSize designedClient, ClientSize client,
                         unsigned anchors) {
  const Span x = AnchoredSpan({designed.x, designed.width}, client.width - designedClient.width,
                              anchors & kAnchorLeft, anchors & kAnchorRight);
  const Span y =
      AnchoredSpan({designed.y, designed.height}, client.height - designedClient.height,
                   anchors & kAnchorTop, anchors & kAnchorBottom);
  return {x.start, y.start, x.length, y.length};
}

ScreenRect FittedWindowRect(ScreenRect designed, ScreenRect workArea) {
  auto fit = [](int start, int length, int areaStart, int areaLength, int& placedLength) {
    placedLength = std::min(length, areaLength);
    return std::clamp(start, areaStart, areaStart + areaLength - placedLength);
  };
  ScreenRect placed{};
  placed.x = fit(designed.x, designed.width, workArea.x, workArea.width, placed.width);
  placed.y = fit(designed.y, designed.height, workArea.y, workArea.height, placed.height);
  return placed;
}

}  // namespace ranta2kv
