// Texts of the failures that reach the window's error box.
#include "app/qt/failure_text.h"

#include "common/codepage.h"
#include "common/error.h"

namespace ranta2kv {

QString FailureText(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const Error& error) {
    return QString::fromStdString(Cp1251ToUtf8(error.what()));
  } catch (const std::exception& error) {
    return QString::fromLocal8Bit(error.what());
  } catch (...) {
    return QStringLiteral("Неизвестная ошибка");
  }
}

}  // namespace ranta2kv
