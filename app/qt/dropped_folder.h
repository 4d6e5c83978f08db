// The folder named by something dropped from the file manager: a folder itself,
// or the folder that holds a dropped file.
#pragma once

#include <QMimeData>
#include <QString>
#include <optional>

namespace ranta2kv {

// The first dropped local item that exists gives the folder; nothing when the
// drop holds no existing local file or folder.
std::optional<QString> DroppedFolder(const QMimeData& dropped);

}  // namespace ranta2kv
