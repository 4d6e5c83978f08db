// The folder named on the program's command line, `ranta2kv [FOLDER]`: what a
// desktop launcher passes when a folder is dropped on it, or a file of one.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ranta2kv {

// The first argument that is not an option of the program (nor an option's
// value): an existing folder as a clean absolute path, an existing file as the
// folder that holds it, any other text as given. Nothing when there is none.
std::optional<QString> StartFolder(const QStringList& arguments);

}  // namespace ranta2kv
