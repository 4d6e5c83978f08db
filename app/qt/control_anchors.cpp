// Anchored placement of the window's controls on resize.
#include "app/qt/control_anchors.h"

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

QRect AnchoredRect(const QRect& designed, const QSize& designedClient, const QSize& client,
                   Anchors anchors) {
  Span x = AnchoredSpan({designed.x(), designed.width()}, client.width() - designedClient.width(),
                        anchors.testFlag(Anchor::Left), anchors.testFlag(Anchor::Right));
  Span y = AnchoredSpan({designed.y(), designed.height()},
                        client.height() - designedClient.height(), anchors.testFlag(Anchor::Top),
                        anchors.testFlag(Anchor::Bottom));
  return QRect(x.start, y.start, x.length, y.length);
}

void ControlAnchors::Add(QWidget* control, const QRect& designed, Anchors anchors) {
  controls_.push_back({control, designed, anchors});
  control->setGeometry(designed);
}

void ControlAnchors::Place(const QSize& client) const {
  for (const AnchoredControl& c : controls_)
    c.control->setGeometry(AnchoredRect(c.designed, designed_client_, client, c.anchors));
}

}  // namespace ranta2kv
