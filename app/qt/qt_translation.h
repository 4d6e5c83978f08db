// Qt's own texts around the window's Russian captions (the folder chooser, the
// log's context menu, the buttons of the error box) in the user's language,
// taken from the translations installed with Qt.
#pragma once

#include <QCoreApplication>

namespace ranta2kv {

// Installs Qt's translation for the user's language into `application`; true
// when one was found (an English desktop, or none installed: Qt's English stays).
bool InstallQtTranslation(QCoreApplication& application);

}  // namespace ranta2kv
