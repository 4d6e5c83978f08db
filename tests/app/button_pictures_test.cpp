// Tests of the button pictures both windows draw from: every picture at every
// size has its shape, and the four states differ as a flat button shows them.
#include <QTest>

#include "app/button_pictures.h"

namespace ranta2kv {
namespace {

constexpr ButtonPicture kPictures[] = {ButtonPicture::Folder, ButtonPicture::Start,
                                       ButtonPicture::Stop};

int Alpha(std::uint32_t pixel) { return pixel >> 24; }
int Channel(std::uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

int VisiblePixels(const PicturePixels& picture) {
  int visible = 0;
  for (std::uint32_t pixel : picture.argb) visible += Alpha(pixel) > 0;
  return visible;
}

}  // namespace

class ButtonPicturesTest : public QObject {
  Q_OBJECT

 private slots:
  void EveryPictureHasItsShapeAtEverySize() {
    for (ButtonPicture picture : kPictures)
      for (int size : {16, 20, 24, 32}) {
        const PicturePixels pixels = RenderButtonPicture(picture, PictureState::Normal, size);
        QCOMPARE(pixels.size, size);
        QCOMPARE(pixels.argb.size(), static_cast<std::size_t>(size * size));
        // A quarter to nine tenths of the square is covered: a shape, not a blot.
        QVERIFY(VisiblePixels(pixels) > size * size / 4);
        QVERIFY(VisiblePixels(pixels) < size * size * 9 / 10);
      }
  }

  void PressedIsMovedByOnePixelAndHeldDownIsDarker() {
    for (ButtonPicture picture : kPictures) {
      const PicturePixels normal = RenderButtonPicture(picture, PictureState::Normal, 16);
      const PicturePixels pressed = RenderButtonPicture(picture, PictureState::Pressed, 16);
      const PicturePixels held = RenderButtonPicture(picture, PictureState::HeldDown, 16);
      for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x)
          QCOMPARE(pressed.argb[(y + 1) * 16 + x + 1], normal.argb[y * 16 + x]);
      bool darker = false;
      for (std::size_t i = 0; i < held.argb.size(); ++i) {
        QCOMPARE(Alpha(held.argb[i]), Alpha(pressed.argb[i]));
        for (int shift : {0, 8, 16}) {
          QVERIFY(Channel(held.argb[i], shift) <= Channel(pressed.argb[i], shift));
          darker = darker || Channel(held.argb[i], shift) < Channel(pressed.argb[i], shift);
        }
      }
      QVERIFY(darker);
    }
  }

  void DisabledIsGreyAndFainterWithTheSameShape() {
    for (ButtonPicture picture : kPictures) {
      const PicturePixels normal = RenderButtonPicture(picture, PictureState::Normal, 16);
      const PicturePixels disabled = RenderButtonPicture(picture, PictureState::Disabled, 16);
      for (std::size_t i = 0; i < disabled.argb.size(); ++i) {
        const std::uint32_t pixel = disabled.argb[i];
        QCOMPARE(Channel(pixel, 0), Channel(pixel, 8));
        QCOMPARE(Channel(pixel, 8), Channel(pixel, 16));
        QCOMPARE(Alpha(pixel), Alpha(normal.argb[i]) * 2 / 3);
      }
    }
  }
};

}  // namespace ranta2kv

QTEST_MAIN(ranta2kv::ButtonPicturesTest)
#include "button_pictures_test.moc"
