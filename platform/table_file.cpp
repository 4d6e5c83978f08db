// The part of the table file that is the same on every system: the text of a
// failed read.
#include "platform/table_file.h"

#include "common/codepage.h"
#include "platform/file_name.h"
#include "platform/system_error.h"

namespace ranta2kv {

Error TableReadError(const std::filesystem::path& file, int code) {
  return Error(std::string("Ошибка чтения таблицы \""_cp1251) + PathTo1251(file) + "\": " +
               SystemMessage(code));
}

}  // namespace ranta2kv
