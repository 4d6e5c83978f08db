// Scroll bars with a dark thumb: the application's style draws them, then the
// thumb is filled over in the palette's mid grey with a dark edge.
#include "app/qt/scroll_bar_thumbs.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionSlider>

namespace ranta2kv {
namespace {

class DarkThumbStyle final : public QProxyStyle {
 public:
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control != CC_ScrollBar || !(option->state & State_Enabled)) return;
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (bar == nullptr || bar->minimum == bar->maximum) return;
    const QRect thumb = subControlRect(control, option, SC_ScrollBarSlider, widget);
    if (thumb.width() < 3 || thumb.height() < 3) return;
    painter->save();
    const bool pressed = (option->activeSubControls & SC_ScrollBarSlider) && (option->state & State_Sunken);
    painter->setPen(option->palette.color(QPalette::Dark));
    painter->setBrush(option->palette.color(pressed ? QPalette::Dark : QPalette::Mid));
    painter->drawRect(thumb.adjusted(1, 1, -2, -2));
    painter->restore();
  }
};

}  // namespace

void ShowDarkScrollBarThumbs(QAbstractScrollArea& area) {
  auto* style = new DarkThumbStyle;
  style->setParent(&area);
  area.horizontalScrollBar()->setStyle(style);
  area.verticalScrollBar()->setStyle(style);
}

}  // namespace ranta2kv
