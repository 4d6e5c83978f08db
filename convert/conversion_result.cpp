// The result of a conversion run, as the log shows it.
#include "convert/conversion_result.h"

#include "common/codepage.h"
#include "platform/file_name.h"

namespace ranta2kv {

std::string StoppedLine() { return std::string("Конвертация остановлена."_cp1251); }

std::string ResultText(const ConversionResult& result) {
  std::string text;
  if (result.stopped) text += StoppedLine() + "\n";
  text += "Записан файл \""_cp1251;
  text += PathTo1251(result.file.filename());
  text += "\"\nразделов "_cp1251;
  text += std::to_string(result.chapters);
  text += ", позиций "_cp1251;
  text += std::to_string(result.positions);
  text += ", пропущено строк "_cp1251;
  text += std::to_string(result.rowsLeftOut);
  return text;
}

}  // namespace ranta2kv
