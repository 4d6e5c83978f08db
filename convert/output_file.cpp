// The output file of a pass.
#include "convert/output_file.h"

#include <array>
#include <string_view>

#include "common/ascii_case.h"
#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"

namespace ranta2kv {
namespace {

bool ForbiddenInFileName(unsigned char c) {
  return c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

// A name that Windows takes for a device whatever its extension: CON, PRN, AUX,
// NUL, COM1 to COM9 and LPT1 to LPT9, in any case, before the first dot and
// trailing blanks. Refused on every system, so that a folder gives the same
// result everywhere.
bool IsDeviceName(std::string_view name1251) {
  std::string_view stem = name1251.substr(0, name1251.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view device : kDevices) {
    if (EqualsIgnoringAsciiCase(stem, device)) return true;
  }
  return stem.size() == 4 && (EqualsIgnoringAsciiCase(stem.substr(0, 3), "COM") ||
                              EqualsIgnoringAsciiCase(stem.substr(0, 3), "LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::filesystem::path OutputFilePath(const std::filesystem::path& folder,
                                     const std::string& outputName1251) {
  std::string fileName = outputName1251 + ".XML";
  bool forbidden = IsDeviceName(outputName1251);
  for (unsigned char c : outputName1251) forbidden = forbidden || ForbiddenInFileName(c);
  if (forbidden) throw Error(std::string("Недопустимое имя файла \""_cp1251) + fileName + "\"");
  return folder / PathFrom1251(fileName);
}

}  // namespace ranta2kv
