// The seven tables of the direct pass, set up and opened: `PrepareDbfTables`
// checks that the folder holds the seven files and builds six key indexes;
// `OpenDbfTables` opens all seven for the walk.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/dbf/dbf_table.h"
#include "source/set_up_failure.h"

namespace ranta2kv {


struct DbfTableSet {
  explicit DbfTableSet(char decimalSeparator);
  DbfTable DataTable;      // POSEXT.DBF, key CODE
  DbfTable DescriptTable;  // SMETA.DBF, key CODE
  DbfTable ResourceTable;  // RESTBL.DBF, key CODE
  DbfTable PosTools;       // POSTOOLS.DBF, key POSCODE
  DbfTable Execute_;       // EXECUTE.DBF, key CODE
  DbfTable ACTS;           // ACTS.DBF, no index
  DbfTable PARAMS;         // PARAMS.DBF, key ID

  void CloseAll();  // ACTS, EXECUTE, PARAMS, POSTOOLS, RESTBL, POSEXT, SMETA
  void SetFileFaults(FileFaults* faults);  // of all seven
  // The change error of the first open table whose file changed since it was
  // opened (SMETA, POSEXT, RESTBL, POSTOOLS, EXECUTE, PARAMS, ACTS).
  void CheckUnchanged() const;

  // ACTS.DBF as it was when the set-up began: the version the walk must read.
  std::optional<TableFileStamp> acts_at_set_up;
};

// Logs "Ошибка инициализации : ..." (and the missing files, or the second line
// of a message of two) and returns false on failure. A table cut short (fewer
// records than its header counts) fails the set-up.
bool PrepareDbfTables(DbfTableSet& tables, const std::filesystem::path& folder, const LogSink& log);

// Names ACTS (the set-up leaves it alone) and opens the seven tables in the order
// ACTS, EXECUTE, PARAMS, POSTOOLS, SMETA, POSEXT, RESTBL. When one fails to open,
// all seven are closed and the error goes on.
void OpenDbfTables(DbfTableSet& tables, const std::filesystem::path& folder);

}  // namespace ranta2kv
