// Loads qtbase_<language>.qm from Qt's translations folder for the languages of
// the user's locale, in the order the locale prefers them.
#include "app/qt/qt_translation.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ranta2kv {

bool InstallQtTranslation(QCoreApplication& application) {
  auto* translator = new QTranslator(&application);
  if (!translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace ranta2kv
