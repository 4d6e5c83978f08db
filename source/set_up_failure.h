// The log lines of a failed set-up, the same for both sources: "Ошибка
// инициализации : " and the failure's message (a message of several lines, its
// lines below), and the line that names the missing table files.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv {

using LogSink = std::function<void(const std::string& line1251)>;

// Logs "Ошибка инициализации : " + message; a message of several lines (separated
// by '\n') goes on in lines of its own.
void LogSetUpFailure(const LogSink& log, std::string_view message1251);

// The line after the missing tables' message that names the missing files:
// "Нет файла: RESTBL.DBF", "Нет файлов: ACTS.DBF, PARAMS.DBF".
std::string MissingFilesLine(const std::vector<std::string>& files);

}  // namespace ranta2kv
