// The tool button pictures. Each is drawn on a 16 x 16 grid and rendered at one
// and at two times that size, so it stays sharp on high-density screens.
#include "app/qt/button_pictures.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace ranta2kv {
namespace {

using DrawPicture = void (*)(QPainter&);

void DrawFolder(QPainter& p) {
  const QColor outline(150, 110, 20);
  p.setPen(QPen(outline, 0.8));
  p.setBrush(QColor(226, 176, 48));  // the back with its tab
  p.drawPolygon(QPolygonF({{1.5, 4.5}, {5.5, 4.5}, {6.5, 5.5}, {11.5, 5.5}, {11.5, 14.5},
                           {1.5, 14.5}}));
  QLinearGradient front(0, 8, 0, 15);
  front.setColorAt(0, QColor(255, 228, 120));
  front.setColorAt(1, QColor(240, 196, 64));
  p.setBrush(front);  // the open front flap
  p.drawPolygon(QPolygonF({{4, 8.5}, {15, 8.5}, {12, 14.5}, {1.5, 14.5}}));

  p.setPen(QPen(QColor(0, 100, 0), 0.8));
  p.setBrush(QColor(40, 180, 40));  // the arrow into the folder
  p.drawPolygon(QPolygonF({{7.5, 1.5}, {10.5, 1.5}, {10.5, 0.5}, {14.5, 3.5}, {10.5, 6.5},
                           {10.5, 5.5}, {7.5, 5.5}}));
}

void DrawStart(QPainter& p) {
  QLinearGradient fill(0, 2, 0, 14);
  fill.setColorAt(0, QColor(120, 230, 100));
  fill.setColorAt(1, QColor(20, 140, 20));
  p.setPen(QPen(QColor(0, 90, 0), 1.0));
  p.setBrush(fill);
  p.drawPolygon(QPolygonF({{4.5, 2.5}, {13.5, 8}, {4.5, 13.5}}));
}

void DrawStop(QPainter& p) {
  QLinearGradient fill(0, 2, 0, 14);
  fill.setColorAt(0, QColor(250, 90, 80));
  fill.setColorAt(1, QColor(180, 20, 20));
  p.setPen(QPen(QColor(110, 0, 0), 1.0));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 1.5, 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);  // the stop sign
  p.drawRect(QRectF(5.5, 5.5, 5, 5));
}

QImage Render(DrawPicture draw, int scale) {
  QImage image(16 * scale, 16 * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(scale, scale);
  draw(painter);
  return image;
}

// The disabled look: grey, lighter and half transparent, the shape still readable.
QImage Greyed(const QImage& picture) {
  QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < grey.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
    for (int x = 0; x < grey.width(); ++x) {
      const int level = 96 + qGray(line[x]) / 2;
      line[x] = qRgba(level, level, level, qAlpha(line[x]) * 2 / 3);
    }
  }
  return grey;
}

QIcon PictureIcon(DrawPicture draw) {
  QIcon icon;
  for (int scale : {1, 2}) {
    const QImage picture = Render(draw, scale);
    icon.addPixmap(QPixmap::fromImage(picture), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(Greyed(picture)), QIcon::Disabled);
  }
  return icon;
}

}  // namespace

QIcon FolderPicture() { return PictureIcon(DrawFolder); }
QIcon StartPicture() { return PictureIcon(DrawStart); }
QIcon StopPicture() { return PictureIcon(DrawStop); }

}  // namespace ranta2kv
