// The log lines of a failed set-up.
#include "source/set_up_failure.h"

#include "common/codepage.h"
#include "common/log_lines.h"

namespace ranta2kv {

void LogSetUpFailure(const LogSink& log, std::string_view message1251) {
  AppendLines(log, std::string("Ошибка инициализации : "_cp1251) + std::string(message1251));
}

std::string MissingFilesLine(const std::vector<std::string>& files) {
  std::string line(files.size() == 1 ? "Нет файла: "_cp1251 : "Нет файлов: "_cp1251);
  for (std::size_t i = 0; i < files.size(); ++i) line += (i ? ", " : "") + files[i];
  return line;
}

}  // namespace ranta2kv
