// The items of the connection string of `ADOConnection1`: finding the `Data
// Source` value, and pointing the `Data Source` item at another folder.
#include "source/sql/oledb_connection_string.h"

#include "common/ascii_case.h"
#include "common/text.h"

namespace ranta2kv {
namespace {

constexpr std::string_view kDataSourcePrefix = "Data Source=";

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string InitialConnectionString(std::string_view folder) {
  return "Provider=VFPOLEDB.1;Data Source=" + std::string(folder) +
         ";Password=\"\";Collating Sequence=MACHINE";
}

std::string RewriteDataSource(std::string_view connectionString, std::string_view folder) {
  std::string result(connectionString);
  for (const std::string& piece : SplitByChars(connectionString, CharSet{';'})) {
    if (!piece.starts_with(kDataSourcePrefix)) continue;
    std::size_t at = AsciiUpper(connectionString).find(AsciiUpper(piece));
    result.replace(at, piece.size(), std::string(kDataSourcePrefix) + std::string(folder));
    break;
  }
  return result;
}

std::optional<std::string> DataSourceOf(std::string_view connectionString) {
  for (const std::string& piece : SplitByChars(connectionString, CharSet{';'})) {
    std::size_t equals = piece.find('=');
    if (equals == std::string::npos) continue;
    std::string_view key = TrimBlanks(std::string_view(piece).substr(0, equals));
    if (!EqualsIgnoringAsciiCase(key, "Data Source")) continue;
    std::string_view value = std::string_view(piece).substr(equals + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
}

}  // namespace ranta2kv
