// The modal folder chooser of the browse button.
#include "app/qt/folder_chooser.h"

#include <QDir>
#include <QFileDialog>

#include "app/qt/folder_path.h"

namespace ranta2kv {

bool SelectFolder(QWidget* owner, const QString& title, QString& folder) {
  const QString start = IsExistingDirectory(folder) ? folder : QString();
  const QString chosen =
      QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return false;
  folder = QDir::toNativeSeparators(chosen);
  return true;
}

}  // namespace ranta2kv
