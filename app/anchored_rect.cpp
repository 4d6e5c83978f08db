// Anchored placement of a control on resize.
#include "app/anchored_rect.h"

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

}  // namespace ranta2kv
