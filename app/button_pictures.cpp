// The tool button pictures, drawn on a 16 x 16 grid by a small rasteriser:
// filled polygons with a vertical colour gradient and an outline, each pixel
// sampled 4 x 4 times so that the edges are smooth at every size.
#include "app/button_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ranta2kv {
namespace {

struct Point {
  double x;
  double y;
};

struct Colour {
  double r, g, b;
};

// One filled and outlined shape; coordinates on the 16 x 16 grid.
struct Shape {
  std::vector<Point> outline;
  Colour fillTop;
  Colour fillBottom;
  double gradientTop;     // the fill runs from fillTop here ...
  double gradientBottom;  // ... to fillBottom here
  bool hasPen;
  Colour pen;
  double penWidth;
};

Colour FillAt(const Shape& shape, double y) {
  const double span = shape.gradientBottom - shape.gradientTop;
  const double t = span > 0 ? std::clamp((y - shape.gradientTop) / span, 0.0, 1.0) : 0.0;
  return {shape.fillTop.r + (shape.fillBottom.r - shape.fillTop.r) * t,
          shape.fillTop.g + (shape.fillBottom.g - shape.fillTop.g) * t,
          shape.fillTop.b + (shape.fillBottom.b - shape.fillTop.b) * t};
}

bool Inside(const std::vector<Point>& polygon, Point p) {
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point a = polygon[i], b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
      inside = !inside;
  }
  return inside;
}

double DistanceToOutline(const std::vector<Point>& polygon, Point p) {
  double best = 1e9;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point a = polygon[j], b = polygon[i];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t =
        length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0;
    best = std::min(best, std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)));
  }
  return best;
}

Shape Plain(std::vector<Point> outline, Colour fill) {
  return {std::move(outline), fill, fill, 0, 0, false, {}, 0};
}

Shape Outlined(std::vector<Point> outline, Colour top, Colour bottom, double from, double to,
               Colour pen, double penWidth) {
  return {std::move(outline), top, bottom, from, to, true, pen, penWidth};
}

// A rectangle with rounded corners, each corner a quarter circle of a few points.
std::vector<Point> RoundedRect(double left, double top, double right, double bottom,
                               double radius) {
  const double kPi = 3.14159265358979;
  const std::array<Point, 4> centres = {Point{right - radius, top + radius},
                                        Point{right - radius, bottom - radius},
                                        Point{left + radius, bottom - radius},
                                        Point{left + radius, top + radius}};
  std::vector<Point> points;
  for (int corner = 0; corner < 4; ++corner)
    for (int step = 0; step <= 4; ++step) {
      const double angle = kPi / 2 * (corner - 1) + kPi / 8 * step;
      points.push_back({centres[corner].x + radius * std::cos(angle),
                        centres[corner].y + radius * std::sin(angle)});
    }
  return points;
}

std::vector<Shape> FolderShapes() {
  const Colour brown{150, 110, 20};
  return {
      Outlined({{1.5, 4.5}, {5.5, 4.5}, {6.5, 5.5}, {11.5, 5.5}, {11.5, 14.5}, {1.5, 14.5}},
               {226, 176, 48}, {226, 176, 48}, 0, 0, brown, 0.8),  // the back with its tab
      Outlined({{4, 8.5}, {15, 8.5}, {12, 14.5}, {1.5, 14.5}}, {255, 228, 120}, {240, 196, 64}, 8,
               15, brown, 0.8),  // the open front flap
      Outlined({{7.5, 1.5}, {10.5, 1.5}, {10.5, 0.5}, {14.5, 3.5}, {10.5, 6.5}, {10.5, 5.5},
                {7.5, 5.5}},
               {40, 180, 40}, {40, 180, 40}, 0, 0, {0, 100, 0}, 0.8),  // the arrow into it
  };
}

std::vector<Shape> StartShapes() {
  return {Outlined({{4.5, 2.5}, {13.5, 8}, {4.5, 13.5}}, {120, 230, 100}, {20, 140, 20}, 2, 14,
                   {0, 90, 0}, 1.0)};
}

std::vector<Shape> StopShapes() {
  return {Outlined(RoundedRect(2.5, 2.5, 13.5, 13.5, 1.5), {250, 90, 80}, {180, 20, 20}, 2, 14,
                   {110, 0, 0}, 1.0),
          Plain({{5.5, 5.5}, {10.5, 5.5}, {10.5, 10.5}, {5.5, 10.5}}, {255, 255, 255})};
}

std::vector<Shape> ShapesOf(ButtonPicture picture) {
  switch (picture) {
    case ButtonPicture::Folder: return FolderShapes();
    case ButtonPicture::Start: return StartShapes();
    case ButtonPicture::Stop: return StopShapes();
  }
  return {};
}

// The colour of the top-most shape at one point of the grid, if any.
bool ColourAt(const std::vector<Shape>& shapes, Point p, Colour& colour) {
  bool covered = false;
  for (const Shape& shape : shapes) {
    if (shape.hasPen && DistanceToOutline(shape.outline, p) <= shape.penWidth / 2) {
      colour = shape.pen;
      covered = true;
    } else if (Inside(shape.outline, p)) {
      colour = FillAt(shape, p.y);
      covered = true;
    }
  }
  return covered;
}

std::uint32_t Argb(double alpha, double r, double g, double b) {
  auto channel = [](double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
  };
  return channel(alpha) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

PicturePixels Render(const std::vector<Shape>& shapes, int size, double shift, double shade) {
  constexpr int kSamples = 4;
  const double gridPerPixel = 16.0 / size;
  PicturePixels pixels{size, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size)};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double r = 0, g = 0, b = 0;
      int covered = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          const Point p{(x + (sx + 0.5) / kSamples) * gridPerPixel - shift,
                        (y + (sy + 0.5) / kSamples) * gridPerPixel - shift};
          Colour c;
          if (!ColourAt(shapes, p, c)) continue;
          r += c.r;
          g += c.g;
          b += c.b;
          ++covered;
        }
      if (covered == 0) continue;
      pixels.argb[static_cast<std::size_t>(y) * size + x] =
          Argb(255.0 * covered / (kSamples * kSamples), r / covered * shade,
               g / covered * shade, b / covered * shade);
    }
  return pixels;
}

void Grey(PicturePixels& pixels) {
  for (std::uint32_t& pixel : pixels.argb) {
    const int alpha = pixel >> 24, r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF,
              b = pixel & 0xFF;
    const int level = 96 + (r * 11 + g * 16 + b * 5) / 32 / 2;
    pixel = Argb(alpha * 2 / 3, level, level, level);
  }
}

}  // namespace

PicturePixels RenderButtonPicture(ButtonPicture picture, PictureState state, int size) {
  const std::vector<Shape> shapes = ShapesOf(picture);
  const int clamped = std::max(size, 1);
  switch (state) {
    case PictureState::Normal: return Render(shapes, clamped, 0, 1.0);
    case PictureState::Pressed: return Render(shapes, clamped, 1, 1.0);
    case PictureState::HeldDown: return Render(shapes, clamped, 1, 0.85);
    case PictureState::Disabled: {
      PicturePixels pixels = Render(shapes, clamped, 0, 1.0);
      Grey(pixels);
      return pixels;
    }
  }
  return {};
}

}  // namespace ranta2kv
