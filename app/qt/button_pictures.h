// The 16 x 16 pictures of the window's three tool buttons, drawn in code: the
// browse button's open folder with a green arrow, Start's green triangle and
// Stop's red square. Each icon carries its own greyed picture for the disabled state.
#pragma once

#include <QIcon>

namespace ranta2kv {

QIcon FolderPicture();
QIcon StartPicture();
QIcon StopPicture();

}  // namespace ranta2kv
