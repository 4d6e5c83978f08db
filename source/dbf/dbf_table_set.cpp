// Set-up of the direct pass's tables: the seven files must be in the folder, six
// tables get their file names and their key indexes, built on two threads. A
// failure is logged as one "Ошибка инициализации" line and reported as false.
#include "source/dbf/dbf_table_set.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_faults.h"
#include "platform/file_name.h"
#include "platform/file_status.h"
#include "platform/folder_listing.h"
#include "source/dbf/dbf_file.h"
#include "source/estimate_folder.h"
#include "source/set_up_failure.h"

namespace ranta2kv {
namespace {

struct IndexBuild {
  DbfTable& table;
  const char* keyField;
  std::uintmax_t bytes = 0;         // of the file, for the order of the builds
  FileFaults* faults = nullptr;     // the table's own, while the builds announce serialized
  std::exception_ptr failure;
};

// Builds the key indexes on two threads, the largest files first so that the
// two finish close together. The outcome is that of building them one after the
// other in the given order: the first build in that order that failed gives the
// error, whichever thread met it first, and only the indexes before it stay.
void BuildKeyIndexes(std::vector<IndexBuild>& builds) {
  std::vector<IndexBuild*> bySize;
  for (IndexBuild& build : builds) {
    build.bytes = StatusOf(build.table.FileName()).size;
    bySize.push_back(&build);
  }
  std::stable_sort(bySize.begin(), bySize.end(),
                   [](const IndexBuild* a, const IndexBuild* b) { return a->bytes > b->bytes; });
  // The builds announce their file calls one at a time: the tables share one
  // faults object (DbfTableSet::SetFileFaults), which need not be safe to call
  // from two threads at once.
  FileFaults* const shared = builds.front().table.Faults();
  SerializedFileFaults serialized(shared);
  for (IndexBuild& build : builds) {
    build.faults = build.table.Faults();
    if (build.faults != nullptr && build.faults == shared) build.table.SetFileFaults(&serialized);
  }
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < bySize.size();) {
      try {
        bySize[i]->table.BuildKeyIndex(bySize[i]->keyField);
      } catch (...) {
        bySize[i]->failure = std::current_exception();
      }
    }
  };
  {
    std::jthread helper(work);
    work();
  }
  for (IndexBuild& build : builds) build.table.SetFileFaults(build.faults);
  for (std::size_t i = 0; i < builds.size(); ++i) {
    if (!builds[i].failure) continue;
    for (std::size_t later = i; later < builds.size(); ++later) builds[later].table.DiscardKeyIndex();
    std::rethrow_exception(builds[i].failure);
  }
}

// ACTS.DBF has no key index to build: it is opened here, apart from the pass's
// ACTS table, which the set-up leaves alone, only to see that it is whole.
void RequireWholeActs(const std::filesystem::path& file, std::optional<TableFileStamp> expected,
                      FileFaults* faults) {
  DbfTable acts("ACTS");
  acts.SetFileFaults(faults);
  acts.SetFileName(file);
  acts.ExpectFile(expected);
  acts.SetWholeRecordsRequired(true);
  acts.Open();
}

}  // namespace

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
  tables.acts_at_set_up = CurrentStamp(TablePath(folder, kActsFile));
  const std::vector<std::string_view> required(kEstimateTableFiles.begin(), kEstimateTableFiles.end());
  if (const std::vector<std::string> missing = MissingTableFiles(folder, required); !missing.empty()) {
    LogSetUpFailure(log, std::string("не найдены таблицы данных\n"_cp1251) + MissingFilesLine(missing));
    return false;
  }
  struct Step {
    DbfTable& table;
    std::string_view file;
    const char* keyField;
  };
  const std::array<Step, 6> steps = {{{tables.PosTools, kPostoolsFile, "POSCODE"},
                                      {tables.DataTable, kPosextFile, "CODE"},
                                      {tables.DescriptTable, kSmetaFile, "CODE"},
                                      {tables.ResourceTable, kRestblFile, "CODE"},
                                      {tables.Execute_, kExecuteFile, "CODE"},
                                      {tables.PARAMS, kParamsFile, "ID"}}};
  try {
    for (const Step& step : steps) {
      step.table.SetFileName(TablePath(folder, step.file));
      step.table.SetWholeRecordsRequired(true);  // a table cut short would lose records without a word
    }
    // Every table must be read as it was when the set-up began, so that the
    // tables belong to one state of the estimate.
    for (const Step& step : steps) step.table.ExpectFile(CurrentStamp(step.table.FileName()));
    std::vector<IndexBuild> builds;
    for (const Step& step : steps) builds.push_back(IndexBuild{step.table, step.keyField, 0, nullptr, nullptr});
    BuildKeyIndexes(builds);
    RequireWholeActs(TablePath(folder, kActsFile), tables.acts_at_set_up, tables.ACTS.Faults());
    // A table changed while the others were read does not go with them either.
    for (const Step& step : steps) step.table.CheckFileIsExpected();
  } catch (const std::exception& error) {
    LogSetUpFailure(log, error.what());
    return false;
  }
  return true;
}

void OpenDbfTables(DbfTableSet& tables, const std::filesystem::path& folder) {
  tables.ACTS.SetFileName(TablePath(folder, kActsFile));
  tables.ACTS.ExpectFile(tables.acts_at_set_up);
  tables.ACTS.SetWholeRecordsRequired(true);
  try {
    for (DbfTable* table : {&tables.ACTS, &tables.Execute_, &tables.PARAMS, &tables.PosTools,
                            &tables.DescriptTable, &tables.DataTable, &tables.ResourceTable}) {
      table->Open();
    }
  } catch (...) {
    tables.CloseAll();
    throw;
  }
}

}  // namespace ranta2kv
