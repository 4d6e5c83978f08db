// The text the error box shows for a failure that left a conversion pass: the
// system's own message (windows-1251) as Unicode, or the runtime's text.
#pragma once

#include <QString>
#include <exception>

namespace ranta2kv {

QString FailureText(std::exception_ptr failure);

}  // namespace ranta2kv
