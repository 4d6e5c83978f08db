// The part of the table file that is the same on every system: the text of a
// failed read.
#include "platform/table_file.h"

#include "common/codepage.h"
#include "platform/system_error.h"

namespace ranta2kv {

SourceFileError TableReadError(const std::filesystem::path& file, int code) {
  return SourceFileError(std::string("Ошибка чтения таблицы \""_cp1251) + Utf8ToCp1251(file.string()) + "\": " +
               SystemMessage(code));
}

}  // namespace ranta2kv
