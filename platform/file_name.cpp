// The windows-1251 side of file names, the same on every system: through UTF-8
// and the program's own code page table, so that a name converts the same way
// whatever the system's own tables say.
#include "platform/file_name.h"

#include "common/codepage.h"

namespace ranta2kv {

std::filesystem::path PathFrom1251(std::string_view text1251) { return PathFromUtf8(Cp1251ToUtf8(text1251)); }

std::string PathTo1251(const std::filesystem::path& path) { return Utf8ToCp1251(PathToUtf8(path)); }

}  // namespace ranta2kv
