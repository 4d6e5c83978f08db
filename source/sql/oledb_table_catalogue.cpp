// The table catalogue of the "OLE DB" source: the folder's *.DBF files (any letter
// case) by upper-cased name, in ascending byte order.
#include "source/sql/oledb_table_catalogue.h"

#include <algorithm>
#include <system_error>

#include "common/ascii_case.h"
#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"

namespace ranta2kv {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExtension = ".DBF";

// The table name of a file name, or "" when the file is no table.
std::string TableNameOf(const std::string& fileName) {
  if (fileName.size() <= kExtension.size()) return "";
  std::string upper = AsciiUpper(fileName);
  if (!upper.ends_with(kExtension)) return "";
  return upper.substr(0, upper.size() - kExtension.size());
}

[[noreturn]] void FailToRead(const fs::path& folder, const std::error_code& error) {
  throw Error(std::string("Не удалось прочитать папку \""_cp1251) + PathTo1251(folder) + "\": " +
              Utf8ToCp1251(error.message()));
}

}  // namespace

const CatalogueTable* TableCatalogue::Find(std::string_view name) const {
  const std::string upper = AsciiUpper(name);
  auto it = std::lower_bound(tables.begin(), tables.end(), upper,
                             [](const CatalogueTable& t, const std::string& n) { return t.name < n; });
  return it != tables.end() && it->name == upper ? &*it : nullptr;
}

TableCatalogue ReadTableCatalogue(const fs::path& folder) {
  struct Entry {
    std::string name, fileName;
    fs::path file;
  };
  std::vector<Entry> entries;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) FailToRead(folder, error);
  for (; it != fs::directory_iterator(); it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::string fileName = PathToUtf8(it->path().filename());
    std::string name = TableNameOf(fileName);
    if (!name.empty()) entries.push_back({std::move(name), std::move(fileName), it->path()});
  }
  if (error) FailToRead(folder, error);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.name != b.name ? a.name < b.name : a.fileName < b.fileName;
  });

  TableCatalogue catalogue;
  for (Entry& entry : entries) {
    if (catalogue.tables.empty() || catalogue.tables.back().name != entry.name) {
      catalogue.tables.push_back({std::move(entry.name), std::move(entry.file)});
    }
  }
  return catalogue;
}

}  // namespace ranta2kv
