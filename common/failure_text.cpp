// Texts of the failures that end a run.
#include "common/failure_text.h"

#include "common/codepage.h"
#include "common/error.h"

namespace ranta2kv {
namespace {

struct FailureMessage {
  std::string text;
  bool is1251;  // the system's own message; else the runtime's (UTF-8) text
};

FailureMessage MessageOf(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const Error& error) {
    return {error.what(), true};
  } catch (const std::exception& error) {
    return {error.what(), false};
  } catch (...) {
    return {"Неизвестная ошибка", false};
  }
}

}  // namespace

std::string FailureText1251(std::exception_ptr failure) {
  FailureMessage message = MessageOf(failure);
  return message.is1251 ? std::move(message.text) : Utf8ToCp1251(message.text);
}

std::string FailureTextUtf8(std::exception_ptr failure) {
  FailureMessage message = MessageOf(failure);
  return message.is1251 ? Cp1251ToUtf8(message.text) : std::move(message.text);
}

}  // namespace ranta2kv
