// The window's controls as the window tests reach them, by their designed
// names, and what tells a window that is Ready after a run.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QString>
#include <QToolButton>

#include "app/qt/main_window.h"

namespace ranta2kv::testing {

struct FormControls {
  explicit FormControls(TForm1& form) : form(form) {}
  QLineEdit* box() const { return form.findChild<QLineEdit*>(QStringLiteral("Edit1")); }
  QToolButton* start() const { return form.findChild<QToolButton*>(QStringLiteral("sbStart")); }
  QToolButton* stop() const { return form.findChild<QToolButton*>(QStringLiteral("sbStop")); }
  QPlainTextEdit* log() const { return form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1")); }
  QProgressBar* bar() const { return form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1")); }

  TForm1& form;
};

// What keeps the window from being Ready (no busy cursor, not running, Start
// enabled, Stop disabled, the bar at 0); empty when it is.
QString NotReady(TForm1& form);

}  // namespace ranta2kv::testing
