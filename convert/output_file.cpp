// The output file of a pass.
#include "convert/output_file.h"

#include <string_view>

#include "common/codepage.h"
#include "common/error.h"

namespace ranta2kv {
namespace {

bool ForbiddenInFileName(unsigned char c) {
  return c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::filesystem::path OutputFilePath(const std::filesystem::path& folder,
                                     const std::string& outputName1251) {
  std::string fileName = outputName1251 + ".XML";
  for (unsigned char c : outputName1251) {
    if (ForbiddenInFileName(c)) {
      throw Error(std::string("Недопустимое имя файла \""_cp1251) + fileName + "\"");
    }
  }
  return folder / std::filesystem::path(Cp1251ToUtf8(fileName));
}

}  // namespace ranta2kv
