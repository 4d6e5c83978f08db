// Set-up of the direct pass's tables: the seven files must be in the folder, six
// tables get their file names and their key indexes. A failure is logged as one
// "Ошибка инициализации" line and reported as false.
#include "source/dbf/dbf_table_set.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <vector>

#include "common/ascii_case.h"
#include "common/codepage.h"
#include "common/error.h"
#include "source/dbf/dbf_file.h"

namespace ranta2kv {
namespace {

constexpr std::array<const char*, 7> kRequiredFiles = {
    "POSTOOLS.DBF", "SMETA.DBF", "POSEXT.DBF", "RESTBL.DBF", "EXECUTE.DBF", "ACTS.DBF", "PARAMS.DBF"};

bool HasAllFiles(const std::filesystem::path& folder) {
  for (const char* name : kRequiredFiles) {
    std::error_code error;
    if (!std::filesystem::exists(TablePath(folder, name), error)) return false;
  }
  return true;
}

}  // namespace

std::filesystem::path TablePath(const std::filesystem::path& folder, std::string_view fileName) {
  std::filesystem::path exact = folder / fileName;
  std::error_code error;
  if (std::filesystem::exists(exact, error)) return exact;
  std::vector<std::filesystem::path> matches;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (EqualsIgnoringAsciiCase(it->path().filename().string(), fileName)) matches.push_back(it->path());
  }
  if (matches.empty()) return exact;
  return *std::min_element(matches.begin(), matches.end());
}

DbfTableSet::DbfTableSet(char decimalSeparator)
    : DataTable("DataTable", decimalSeparator),
      DescriptTable("DescriptTable", decimalSeparator),
      ResourceTable("ResourceTable", decimalSeparator),
      PosTools("PosTools", decimalSeparator),
      Execute_("Execute_", decimalSeparator),
      ACTS("ACTS", decimalSeparator),
      PARAMS("PARAMS", decimalSeparator) {}

void DbfTableSet::CloseAll() {
  for (DbfTable* table : {&ACTS, &Execute_, &PARAMS, &PosTools, &ResourceTable, &DataTable, &DescriptTable}) {
    table->Close();
  }
}

void DbfTableSet::SetFileFaults(FileFaults* faults) {
  for (DbfTable* table : {&ACTS, &Execute_, &PARAMS, &PosTools, &ResourceTable, &DataTable, &DescriptTable}) {
    table->SetFileFaults(faults);
  }
}

void DbfTableSet::CheckUnchanged() const {
  for (const DbfTable* table : {&DescriptTable, &DataTable, &ResourceTable, &PosTools, &Execute_, &PARAMS, &ACTS}) {
    table->CheckUnchanged();
  }
}

bool PrepareDbfTables(DbfTableSet& tables, const std::filesystem::path& folder, const LogSink& log) {
  const std::string failure("Ошибка инициализации : "_cp1251);
  if (!HasAllFiles(folder)) {
    log(failure + std::string("не найдены таблицы данных"_cp1251));
    return false;
  }
  struct Step {
    DbfTable& table;
    const char* file;
    const char* keyField;
  };
  const std::array<Step, 6> steps = {{{tables.PosTools, "POSTOOLS.DBF", "POSCODE"},
                                      {tables.DataTable, "POSEXT.DBF", "CODE"},
                                      {tables.DescriptTable, "SMETA.DBF", "CODE"},
                                      {tables.ResourceTable, "RESTBL.DBF", "CODE"},
                                      {tables.Execute_, "EXECUTE.DBF", "CODE"},
                                      {tables.PARAMS, "PARAMS.DBF", "ID"}}};
  try {
    for (const Step& step : steps) step.table.SetFileName(TablePath(folder, step.file));
    // Every table must be read as it was when the set-up began, so that the
    // tables belong to one state of the estimate.
    for (const Step& step : steps) step.table.ExpectFile(CurrentStamp(step.table.FileName()));
    for (const Step& step : steps) step.table.BuildKeyIndex(step.keyField);
  } catch (const std::exception& error) {
    log(failure + error.what());
    return false;
  }
  return true;
}

}  // namespace ranta2kv
