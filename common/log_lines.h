// A message of several lines as lines of the log. Messages that would not fit
// the width of the window's log on one line (a damaged table, the missing
// tables) hold their lines separated by '\n'; every line goes to the log as a
// line of its own.
#pragma once

#include <string>
#include <string_view>

namespace ranta2kv {

template <typename Log>
void AppendLines(Log&& log, std::string_view text) {
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    log(std::string(text.substr(start, end - start)));
    if (end == std::string_view::npos) return;
    start = end + 1;
  }
}

}  // namespace ranta2kv
