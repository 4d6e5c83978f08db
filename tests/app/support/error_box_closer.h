// Closes the window's modal error box from inside its own event loop, and keeps
// the texts it saw, so that a test can run into a failure and go on.
#pragma once

#include <QStringList>
#include <QTimer>

namespace ranta2kv::testing {

class ErrorBoxCloser {
 public:
  ErrorBoxCloser();  // starts watching at once
  const QStringList& Texts() const { return texts_; }
  const QStringList& Titles() const { return titles_; }

 private:
  void CloseErrorBoxes();
  QTimer timer_;
  QStringList texts_;
  QStringList titles_;
};

}  // namespace ranta2kv::testing
