// The modal folder chooser behind the browse button: only directories can be
// chosen, and an existing folder given on entry is where the chooser opens.
#pragma once

#include <QString>
#include <QWidget>

namespace ranta2kv {

// Shows the chooser with `title` above it. On entry `folder` is the folder to
// open at (ignored unless it is an existing directory); when the user confirms a
// choice it becomes the chosen folder and the result is true. Cancel: false,
// `folder` unchanged.
bool SelectFolder(QWidget* owner, const QString& title, QString& folder);

}  // namespace ranta2kv
