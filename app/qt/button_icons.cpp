// Qt icons of the tool button pictures.
#include "app/qt/button_icons.h"

#include <QImage>
#include <QPixmap>

#include "app/button_pictures.h"

namespace ranta2kv {
namespace {

QPixmap PictureImage(ButtonPicture picture, PictureState state, int size) {
  const PicturePixels pixels = RenderButtonPicture(picture, state, size);
  const QImage image(reinterpret_cast<const uchar*>(pixels.argb.data()), pixels.size,
                     pixels.size, pixels.size * 4, QImage::Format_ARGB32);
  return QPixmap::fromImage(image.copy());  // the copy owns its pixels
}

}  // namespace

QIcon ButtonIcon(ButtonPicture picture) {
  QIcon icon;
  for (int size : {16, 32}) {
    icon.addPixmap(PictureImage(picture, PictureState::Normal, size), QIcon::Normal);
    icon.addPixmap(PictureImage(picture, PictureState::Disabled, size), QIcon::Disabled);
  }
  return icon;
}

}  // namespace ranta2kv
