// The table catalogue of the "OLE DB" source: every regular file of the folder
// whose name ends in ".DBF" in any letter case, named by its upper-cased file
// name without the extension, in ascending byte order of the names.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv {

struct CatalogueTable {
  std::string name;            // upper-cased (ASCII letters), no extension
  std::filesystem::path file;  // the .DBF file
};

struct TableCatalogue {
  std::vector<CatalogueTable> tables;  // ascending byte order of name, names unique

  // Compares without regard to the letter case of ASCII letters; null when absent.
  const CatalogueTable* Find(std::string_view name) const;
};

// Of two files whose names differ only in letter case the one whose file name
// sorts first stands for the table. Error when the folder cannot be read.
TableCatalogue ReadTableCatalogue(const std::filesystem::path& folder);

}  // namespace ranta2kv
