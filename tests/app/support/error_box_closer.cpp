// Finds QMessageBoxes among the top-level widgets and closes them.
#include "tests/app/support/error_box_closer.h"

#include <QApplication>
#include <QMessageBox>

namespace ranta2kv::testing {

ErrorBoxCloser::ErrorBoxCloser() {
  QObject::connect(&timer_, &QTimer::timeout, [this] { CloseErrorBoxes(); });
  timer_.start(10);
}

void ErrorBoxCloser::CloseErrorBoxes() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box == nullptr || !box->isVisible()) continue;
    texts_ << box->text();
    titles_ << box->windowTitle();
    box->done(QMessageBox::Ok);
  }
}

}  // namespace ranta2kv::testing
