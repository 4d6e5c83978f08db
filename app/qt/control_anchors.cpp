// Anchored placement of the Qt window's controls on resize.
#include "app/qt/control_anchors.h"

#include "app/anchored_rect.h"

namespace ranta2kv {

QRect AnchoredRect(const QRect& designed, const QSize& designedClient, const QSize& client,
                   Anchors anchors) {
  const ControlRect placed =
      AnchoredRect({designed.x(), designed.y(), designed.width(), designed.height()},
                   {designedClient.width(), designedClient.height()},
                   {client.width(), client.height()}, static_cast<unsigned>(anchors.toInt()));
  return QRect(placed.x, placed.y, placed.width, placed.height);
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
