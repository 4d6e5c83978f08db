// The result line of a conversion run.
#include "convert/conversion_result.h"

#include "common/codepage.h"
#include "platform/file_name.h"

namespace ranta2kv {

std::string ResultLine(const ConversionResult& result) {
  std::string line;
  if (result.stopped) line += "Конвертация остановлена. "_cp1251;
  line += "Записан файл \""_cp1251;
  line += PathTo1251(result.file.filename());
  line += "\": разделов "_cp1251;
  line += std::to_string(result.chapters);
  line += ", позиций "_cp1251;
  line += std::to_string(result.positions);
  line += ", пропущено строк "_cp1251;
  line += std::to_string(result.rowsLeftOut);
  return line;
}

}  // namespace ranta2kv
