// What tells a Ready window.
#include "tests/app/support/form_controls.h"

#include <QGuiApplication>

namespace ranta2kv::testing {

QString NotReady(TForm1& form) {
  const FormControls controls(form);
  QStringList wrong;
  if (QGuiApplication::overrideCursor() != nullptr) wrong << QStringLiteral("busy cursor");
  if (form.Running()) wrong << QStringLiteral("running");
  if (!controls.start()->isEnabled()) wrong << QStringLiteral("Start disabled");
  if (controls.stop()->isEnabled()) wrong << QStringLiteral("Stop enabled");
  if (controls.bar()->value() != 0) wrong << QStringLiteral("bar at %1").arg(controls.bar()->value());
  return wrong.join(QStringLiteral(", "));
}

}  // namespace ranta2kv::testing
