// The geometry rules of the windows: where a control goes when the window is
// resized (its anchors say which client edges it keeps its designed distance
// to), and where the window goes on a screen (the designed place when the
// whole window fits the work area, else moved and, where it must, shrunk to it).
// Both windows place their controls by hand, so their geometry is exactly the
// designed one.
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

// A window's outer rectangle (frame included) or a screen's work area, in
// screen pixels.
struct ScreenRect {
  int x, y, width, height;
  bool operator==(const ScreenRect&) const = default;
};

// Where a window whose outer rectangle at its designed place is `designed` goes
// on a screen whose work area (the screen less the taskbar) is `workArea`: at
// the designed place when it fits there; else moved just enough to fit; where
// the work area is narrower or lower than the window, as wide or as high as the
// work area.
ScreenRect FittedWindowRect(ScreenRect designed, ScreenRect workArea);

}  // namespace ranta2kv
