// The DBF tables of the SQL source as SQLite virtual tables of the module "dbf":
// the rows are the records of the file, read in place through the project's DBF
// reader (deleted records too, rowid = record number), each column declared and
// valued as dbf_sql_column says. Equality on the columns CODE, POSCODE, ID and
// AKTCODE, and on rowid, is a look-up in key indexes built when the table is
// attached; every other statement scans the records. Rows come in record order
// either way, and SQLite checks every constraint itself on the rows it gets.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/table_file.h"

namespace ranta2kv {

class FileFaults;
class SqlDatabase;

class DbfVirtualTables {
 public:
  // Registers the module with database, which must be closed before this object
  // is destroyed (its tables are SQLite's until then).
  explicit DbfVirtualTables(SqlDatabase& database);
  ~DbfVirtualTables();
  DbfVirtualTables(const DbfVirtualTables&) = delete;
  DbfVirtualTables& operator=(const DbfVirtualTables&) = delete;

  // Opens file (the exclusive open, its header and field descriptors), reads its
  // records once for the key indexes, checks that they came from one version of
  // the file, and creates the virtual table `name` over it. The file stays held
  // until this object is destroyed. Throws the reader's Error (the change error
  // when the file is not the version expected or changes while it is read), or
  // the database's; nothing of the table stays then. faults, when given, are
  // injected into every read of the file.
  void Attach(const std::string& name, const std::filesystem::path& file, FileFaults* faults = nullptr,
              std::optional<TableFileStamp> expected = std::nullopt);
  // Creates in this object's database a virtual table over each table attached
  // to other that this object has not, sharing its held file and key indexes: for
  // statements on another thread than other's. Each object's tables keep their
  // files held until both objects are destroyed.
  void AttachEveryTableOf(const DbfVirtualTables& other);
  bool Contains(const std::string& name) const { return tables_.contains(name); }
  // Whether the attached table `name` has a column of that name (any letter case).
  bool HasColumn(const std::string& name, std::string_view column) const;

  // Throws the change error of the first attached table whose file was changed,
  // replaced or removed since it was attached.
  void CheckUnchanged() const;

  // Records that statements have read from the files (tests: look-ups that do
  // not grow with the table).
  std::uint64_t RecordsRead() const;

  class TableFile;  // a held file and its key indexes
  class Table;      // one virtual table

 private:
  void Create(const std::string& name, std::shared_ptr<const TableFile> file);

  SqlDatabase& database_;
  std::map<std::string, std::unique_ptr<Table>> tables_;
};

// Opens the file as Attach does and closes it again, reading no record; throws
// the Error that Attach would throw before its first record (the change error
// too, when the file is not the version expected).
void CheckDbfTable(const std::string& name, const std::filesystem::path& file, FileFaults* faults = nullptr,
                   std::optional<TableFileStamp> expected = std::nullopt);

}  // namespace ranta2kv
