// Anchors of the windows' controls: which client edges a control keeps its
// designed distance to when the window is resized. Both windows place their
// controls by hand, so their geometry is exactly the designed one.
#pragma once

namespace ranta2kv {

enum AnchorEdge : unsigned { kAnchorLeft = 1, kAnchorTop = 2, kAnchorRight = 4, kAnchorBottom = 8 };

struct ControlRect {
  int x, y, width, height;
  bool operator==(const ControlRect&) const = default;
};

struct ClientSize {
  int width, height;
};

// Where a control designed at `designed` in a client area of `designedClient`
// goes in a client area of `client`. Anchored to both edges of an axis it
// stretches; to one edge it keeps that distance; to none it keeps its share of
// the middle. A size never goes below zero.
ControlRect AnchoredRect(ControlRect designed, ClientSize designedClient, ClientSize client,
                         unsigned anchors);

}  // namespace ranta2kv
