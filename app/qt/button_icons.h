// The window's three tool button pictures as Qt icons, made from the shared
// picture pixels at one and at two times their size (sharp on high-density
// screens). Each icon carries its own greyed picture for the disabled state.
#pragma once

#include <QIcon>

#include "app/button_pictures.h"

namespace ranta2kv {

QIcon ButtonIcon(ButtonPicture picture);

}  // namespace ranta2kv
