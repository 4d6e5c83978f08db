// The table catalogue of the "OLE DB" source: the folder's *.DBF files (any letter
// case) by upper-cased name, in ascending byte order.
#include "source/sql/oledb_table_catalogue.h"

#include <algorithm>

#include "common/ascii_case.h"
#include "platform/file_name.h"
#include "platform/file_status.h"
#include "platform/folder_listing.h"

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
  for (const FolderEntry& entry : ListFolder(folder)) {  // throws Error when the folder cannot be read
    if (entry.isFolder) continue;
    std::string fileName = PathToUtf8(entry.name);
    std::string name = TableNameOf(fileName);
    // A table is a file, also through a link; a link to a folder or a device is none.
    if (name.empty() || StatusOf(folder / entry.name).kind != FileKind::File) continue;
    entries.push_back({std::move(name), std::move(fileName), folder / entry.name});
  }
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
