// Anchors of the window's controls: which client edges a control keeps its
// designed distance to when the window is resized. The window places its
// controls by hand (no layouts), so their geometry is exactly the designed one.
#pragma once

#include <QFlags>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace ranta2kv {

enum class Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
using Anchors = QFlags<Anchor>;

// Where a control designed at `designed` in a client area of `designedClient`
// goes in a client area of `client`. Anchored to both edges of an axis it
// stretches; to one edge it keeps that distance; to none it keeps its share of
// the middle. A size never goes below zero.
QRect AnchoredRect(const QRect& designed, const QSize& designedClient, const QSize& client,
                   Anchors anchors);

// The controls of one window with their designed geometry and anchors.
class ControlAnchors {
 public:
  explicit ControlAnchors(QSize designedClient) : designed_client_(designedClient) {}

  void Add(QWidget* control, const QRect& designed, Anchors anchors);
  void Place(const QSize& client) const;  // puts every control where it belongs

 private:
  struct AnchoredControl {
    QWidget* control;  // owned by the window
    QRect designed;    // geometry in the designed client area
    Anchors anchors;
  };
  QSize designed_client_;
  std::vector<AnchoredControl> controls_;
};

}  // namespace ranta2kv

Q_DECLARE_OPERATORS_FOR_FLAGS(ranta2kv::Anchors)
