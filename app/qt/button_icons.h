// The window's three tool button pictures as Qt icons, made from the shared
// picture pixels at one and at two times their size (sharp on high-density
// screens). Each icon carries its own greyed picture for the disabled state.
#pragma once

#include <QIcon>

namespace ranta2kv {

QIcon FolderPicture();
QIcon StartPicture();
QIcon StopPicture();

}  // namespace ranta2kv
