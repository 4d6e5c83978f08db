// The folder argument of the window program.
#include "app/qt/start_folder.h"

#include <QDir>
#include <QFileInfo>

namespace ranta2kv {

std::optional<QString> StartFolder(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--screenshot-after-run") || argument == QLatin1String("--folder")) {
      ++i;  // and its value
      continue;
    }
    if (argument.startsWith(QLatin1Char('-'))) continue;
    const QFileInfo item(argument);
    if (item.isDir()) return QDir::toNativeSeparators(QDir::cleanPath(item.absoluteFilePath()));
    if (item.exists()) return QDir::toNativeSeparators(item.absolutePath());
    return argument;
  }
  return std::nullopt;
}

}  // namespace ranta2kv
