// Texts of the failures that reach a window's error box.
#include "app/failure_text.h"

#include "common/codepage.h"
#include "common/error.h"

namespace ranta2kv {

std::string FailureTextUtf8(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const Error& error) {
    return Cp1251ToUtf8(error.what());
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "Неизвестная ошибка";
  }
}

}  // namespace ranta2kv
