// Tests that the look-ups of both passes cost the same per position whatever the
// size of the estimate: the records the DBF reader reads for the direct pass's
// look-ups, and the SQLite VM steps of the SQL pass's statements and the records
// its virtual tables read for them, compared for generated estimates of 200 and
// 2000 positions.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "convert/position_rules.h"
#include "source/dbf/dbf_table_set.h"
#include "source/sql/dbf_virtual_table.h"
#include "source/sql/sql_database.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv {
namespace {
namespace fs = std::filesystem;

constexpr int kSmall = 200;
constexpr int kLarge = 2000;  // ten times kSmall
// A look-up whose cost per position grows tenfold with the table fails this bound;
// one that stays the same passes it with room for the estimates' random mix.
constexpr double kAllowedGrowth = 1.5;

using CostPerPosition = std::map<std::string, double>;  // by table or statement

fs::path Generated(const test::ScratchFolder& scratch, int positions) {
  fs::path folder = scratch / ("estimate-" + std::to_string(positions));
  gen::GenerateEstimate({.seed = 3, .positions = positions, .edge = false}, folder);
  return folder;
}

// Walks SMETA in key order as the direct pass does and makes every look-up the
// pass makes for a position; gives the records each table read per position.
CostPerPosition DirectPassLookups(const fs::path& folder) {
  DbfTableSet t('.');
  std::vector<std::string> log;
  EXPECT_TRUE(PrepareDbfTables(t, folder, [&log](const std::string& line) { log.push_back(line); }));
  t.ACTS.SetFileName(folder / "ACTS.DBF");
  for (DbfTable* table : {&t.ACTS, &t.Execute_, &t.PARAMS, &t.PosTools, &t.DescriptTable, &t.DataTable,
                          &t.ResourceTable}) {
    table->Open();
  }
  auto toolOf = [&t](std::int32_t rowCode, int id) -> std::int32_t {
    if (!t.PosTools.LocateRecord("POSCODE;ID", {Variant(rowCode), Variant(id)})) return id == 0 ? 0 : -1;
    return t.PosTools.FieldNamed("CODE").AsInteger();
  };
  int positions = 0;
  for (DbfTable& smeta = t.DescriptTable; !smeta.AtEnd(); smeta.Next()) {
    if (smeta.FieldNamed("ID").AsInteger() != 3) continue;
    ++positions;
    const std::int32_t rowCode = smeta.FieldNamed("CODE").AsInteger();
    const std::int32_t toolCode = toolOf(rowCode, 0);
    if (toolCode == 0 || !t.DataTable.LocateRecord("CODE", Variant(rowCode))) continue;
    for (t.ResourceTable.LimitToKey("CODE", Variant(toolCode)); !t.ResourceTable.AtEnd(); t.ResourceTable.Next()) {
    }
    const std::string key = ParamKey(rowCode);
    t.PARAMS.LimitToKey("ID", Variant(key));
    for (bool found = t.PARAMS.LocateRecord("ID", Variant(key)); found && !t.PARAMS.AtEnd(); t.PARAMS.Next()) {
    }
    t.Execute_.LimitToKey("CODE", Variant(std::to_string(toolOf(rowCode, 1))));
    for (; !t.Execute_.AtEnd(); t.Execute_.Next()) {
      t.ACTS.LocateRecord("CODE", Variant(t.Execute_.FieldNamed("AKTCODE").AsInteger()));
    }
  }
  EXPECT_GT(positions, 0);
  CostPerPosition cost;
  for (DbfTable* table : {&t.ACTS, &t.Execute_, &t.PARAMS, &t.PosTools, &t.DescriptTable, &t.DataTable,
                          &t.ResourceTable}) {
    cost[table->Name()] = static_cast<double>(table->RecordsTouched()) / positions;
  }
  t.CloseAll();
  return cost;
}

// Runs statements on the tables as the SQL source attaches them and adds up the
// VM steps and records read of each statement's shape.
class StatementCost {
 public:
  explicit StatementCost(const fs::path& folder) {
    tables_.emplace(database_);
    for (const char* table : {"SMETA", "POSTOOLS", "POSEXT", "RESTBL", "EXECUTE", "ACTS", "PARAMS"}) {
      tables_->Attach(table, folder / (std::string(table) + ".DBF"));
    }
  }

  // The rows of the statement, each as its columns' integer values.
  std::vector<std::vector<std::int64_t>> Run(const std::string& shape, const std::string& sql) {
    SqlStatement statement(database_, sql);
    const std::uint64_t readBefore = tables_->RecordsRead();
    std::vector<std::vector<std::int64_t>> rows;
    while (statement.Step()) {
      std::vector<std::int64_t>& row = rows.emplace_back();
      for (int c = 0; c < sqlite3_column_count(statement.Handle()); ++c) {
        row.push_back(sqlite3_column_int64(statement.Handle(), c));
      }
    }
    vm_steps_[shape] += sqlite3_stmt_status(statement.Handle(), SQLITE_STMTSTATUS_VM_STEP, 0);
    records_read_[shape] += static_cast<std::int64_t>(tables_->RecordsRead() - readBefore);
    return rows;
  }

  CostPerPosition PerPosition(const std::map<std::string, std::int64_t>& steps, int positions) const {
    CostPerPosition cost;
    for (const auto& [shape, count] : steps) cost[shape] = static_cast<double>(count) / positions;
    return cost;
  }
  const std::map<std::string, std::int64_t>& VmSteps() const { return vm_steps_; }
  const std::map<std::string, std::int64_t>& RecordsRead() const { return records_read_; }

 private:
  std::optional<DbfVirtualTables> tables_;  // outlives the database, which holds its tables
  SqlDatabase database_;
  std::map<std::string, std::int64_t> vm_steps_, records_read_;
};

struct SqlPassCost {
  CostPerPosition vm_steps;
  CostPerPosition records_read;
};

// Runs, for every position row of SMETA, the statements the SQL pass runs for it.
SqlPassCost SqlPassLookups(const fs::path& folder) {
  StatementCost cost(folder);
  const auto smeta = cost.Run("smeta", "SELECT CODE, ID, UDAL FROM \"SMETA\" ORDER BY rowid");
  auto decimal = [](std::int64_t value) { return std::to_string(value); };
  int positions = 0;
  for (const std::vector<std::int64_t>& row : smeta) {
    if (row[1] != 3 || row[2] != 0) continue;
    ++positions;
    const std::int64_t rowCode = row[0];
    const auto tools = cost.Run("POSTOOLS ID 0", "SELECT CODE FROM POSTOOLS WHERE POSCODE=" + decimal(rowCode) +
                                                     " AND ID=0");
    if (tools.empty()) continue;
    cost.Run("POSEXT", "SELECT * FROM POSEXT WHERE CODE=" + decimal(rowCode));
    cost.Run("RESTBL", "SELECT * FROM RESTBL WHERE CODE=" + decimal(tools[0][0]));
    for (int code : {43, 49}) {
      cost.Run("PARAMS", "SELECT * FROM PARAMS WHERE ID = '" + ParamKey(static_cast<std::int32_t>(rowCode)) +
                             "' AND CODE=" + decimal(code));
    }
    const auto link = cost.Run("POSTOOLS ID 1", "SELECT CODE FROM POSTOOLS WHERE POSCODE=" + decimal(rowCode) +
                                                    " AND ID=1");
    const std::int64_t execCode = link.empty() ? tools[0][0] : link[0][0];
    for (const auto& done : cost.Run("EXECUTE", "SELECT AKTCODE FROM \"EXECUTE\" WHERE CODE=" + decimal(execCode))) {
      cost.Run("ACTS", "SELECT * FROM ACTS WHERE CODE=" + decimal(done[0]));
    }
  }
  EXPECT_GT(positions, 0);
  SqlPassCost result{cost.PerPosition(cost.VmSteps(), positions), cost.PerPosition(cost.RecordsRead(), positions)};
  result.vm_steps.erase("smeta");  // the walk itself: one row per step
  result.records_read.erase("smeta");
  return result;
}

void ExpectSameCost(const CostPerPosition& small, const CostPerPosition& large, const char* unit) {
  ASSERT_EQ(small.size(), large.size());
  for (const auto& [name, perPosition] : small) {
    ASSERT_TRUE(large.contains(name)) << name;
    EXPECT_LE(large.at(name), perPosition * kAllowedGrowth + 1)
        << name << ": " << unit << " per position grew from " << perPosition << " with " << kSmall
        << " positions to " << large.at(name) << " with " << kLarge;
  }
}

class LookupCostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new test::ScratchFolder("lookup-cost");
    small_ = Generated(*scratch_, kSmall);
    large_ = Generated(*scratch_, kLarge);
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }

  static test::ScratchFolder* scratch_;
  static fs::path small_, large_;
};

test::ScratchFolder* LookupCostTest::scratch_ = nullptr;
fs::path LookupCostTest::small_, LookupCostTest::large_;

TEST_F(LookupCostTest, DirectPassReadsTheSameRecordsPerPositionWhateverTheTableSize) {
  ExpectSameCost(DirectPassLookups(small_), DirectPassLookups(large_), "records read");
}

TEST_F(LookupCostTest, SqlPassStatementsTakeTheSameStepsPerPositionWhateverTheTableSize) {
  ExpectSameCost(SqlPassLookups(small_).vm_steps, SqlPassLookups(large_).vm_steps, "VM steps");
}

TEST_F(LookupCostTest, SqlPassStatementsReadTheSameRecordsPerPositionWhateverTheTableSize) {
  const SqlPassCost small = SqlPassLookups(small_), large = SqlPassLookups(large_);
  ExpectSameCost(small.records_read, large.records_read, "records read");
  // A look-up reads the records it gives, a few per position, never a table.
  for (const auto& [shape, perPosition] : large.records_read) EXPECT_LT(perPosition, 20) << shape;
}

}  // namespace
}  // namespace ranta2kv
