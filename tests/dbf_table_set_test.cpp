// Tests of the direct pass's table set-up: the seven files, the six key indexes,
// and the log lines of a failed set-up.
#include "source/dbf/dbf_table_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/codepage.h"
#include "source/dbf/key_index.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

using test::DbfBuilder;
using test::ScratchFolder;

class PrepareDbfTablesTest : public ::testing::Test {
 protected:
  PrepareDbfTablesTest() {
    for (const char* name : {"SMETA.DBF", "POSEXT.DBF", "RESTBL.DBF", "EXECUTE.DBF", "ACTS.DBF"}) {
      Write(name, "CODE");
    }
    Write("POSTOOLS.DBF", "POSCODE");
    Write("PARAMS.DBF", "ID");
  }

  void Write(const std::string& file, const std::string& keyField) {
    DbfBuilder builder;
    builder.Field(keyField, 'N', 10).Field("OTHER", 'C', 2).Record({"2", "b"}).Record({"1", "a"});
    builder.WriteTo(folder_ / file);
  }

  bool Prepare() {
    log_.clear();
    return PrepareDbfTables(tables_, folder_.Path(), [this](const std::string& line) { log_.push_back(line); });
  }

  static std::string Failure(std::string_view reason) { return std::string("Ошибка инициализации : "_cp1251) + std::string(reason); }

  ScratchFolder folder_{"dbf_table_set_test"};
  DbfTableSet tables_{'.'};
  std::vector<std::string> log_;
};

TEST_F(PrepareDbfTablesTest, IndexesSixTablesOnTheirKeyFields) {
  ASSERT_TRUE(Prepare());
  EXPECT_TRUE(log_.empty());
  struct Expected {
    DbfTable& table;
    const char* file;
    const char* key;
  };
  for (const Expected& e : {Expected{tables_.PosTools, "POSTOOLS.DBF", "POSCODE"},
                            Expected{tables_.DataTable, "POSEXT.DBF", "CODE"},
                            Expected{tables_.DescriptTable, "SMETA.DBF", "CODE"},
                            Expected{tables_.ResourceTable, "RESTBL.DBF", "CODE"},
                            Expected{tables_.Execute_, "EXECUTE.DBF", "CODE"},
                            Expected{tables_.PARAMS, "PARAMS.DBF", "ID"}}) {
    EXPECT_EQ(e.table.FileName(), folder_ / e.file);
    ASSERT_NE(e.table.Index(), nullptr) << e.file;
    EXPECT_EQ(e.table.Index()->KeyExpression(), e.key);
    EXPECT_FALSE(e.table.Active());
  }
  EXPECT_TRUE(tables_.ACTS.FileName().empty());
  EXPECT_EQ(tables_.ACTS.Index(), nullptr);
  tables_.DescriptTable.Open();
  EXPECT_EQ(tables_.DescriptTable.RecordNumber(), 2);  // walked in key order
}

TEST_F(PrepareDbfTablesTest, AMissingFileIsLoggedBeforeAnyTableIsTouched) {
  ASSERT_TRUE(Prepare());
  const KeyIndex* before = tables_.ResourceTable.Index();
  for (const char* name : {"RESTBL.DBF", "ACTS.DBF"}) {
    std::filesystem::rename(folder_ / name, folder_ / "moved");
    EXPECT_FALSE(Prepare());
    EXPECT_EQ(log_, (std::vector<std::string>{Failure("не найдены таблицы данных"_cp1251),
                                              std::string("Нет файла: "_cp1251) + name}));
    EXPECT_EQ(tables_.ResourceTable.Index(), before);
    std::filesystem::rename(folder_ / "moved", folder_ / name);
  }
}

TEST_F(PrepareDbfTablesTest, AFailingTableIsLoggedAndEarlierIndexesStay) {
  DbfBuilder notDbf(0x02);
  notDbf.Field("CODE", 'N', 10);
  notDbf.WriteTo(folder_ / "SMETA.DBF");
  EXPECT_FALSE(Prepare());
  std::string file = (folder_ / "SMETA.DBF").string();
  EXPECT_EQ(log_, std::vector<std::string>{Failure("TQXSmartDBF.InternalOpen: File \"" + file + "\" is not DBF file")});
  EXPECT_NE(tables_.PosTools.Index(), nullptr);
  EXPECT_NE(tables_.DataTable.Index(), nullptr);
  EXPECT_EQ(tables_.DescriptTable.Index(), nullptr);
  EXPECT_EQ(tables_.ResourceTable.Index(), nullptr);
  EXPECT_FALSE(tables_.DescriptTable.Active());
}

// The indexes are built two at a time, largest file first; what a failed set-up
// logs and keeps is still that of building them one after the other.
TEST_F(PrepareDbfTablesTest, TheFirstFailingTableInTheSetUpsOrderIsLogged) {
  DbfBuilder large;
  large.Field("NOCODE", 'N', 10).Field("TEXT", 'C', 200);
  for (int i = 0; i < 5000; ++i) large.Record({std::to_string(i), "x"});
  large.WriteTo(folder_ / "SMETA.DBF");  // built first, fails late
  Write("POSTOOLS.DBF", "CODE");         // built late, fails first in the order
  ASSERT_TRUE(Prepare() == false);
  EXPECT_EQ(log_, std::vector<std::string>{Failure("PosTools: Field 'POSCODE' not found")});
  for (const DbfTable* table : {&tables_.PosTools, &tables_.DataTable, &tables_.DescriptTable,
                                &tables_.ResourceTable, &tables_.Execute_, &tables_.PARAMS}) {
    EXPECT_EQ(table->Index(), nullptr) << table->Name();
    EXPECT_FALSE(table->Active()) << table->Name();
  }
}

TEST_F(PrepareDbfTablesTest, AMissingKeyFieldIsLogged) {
  Write("POSTOOLS.DBF", "CODE");
  EXPECT_FALSE(Prepare());
  EXPECT_EQ(log_, std::vector<std::string>{Failure("PosTools: Field 'POSCODE' not found")});
}

TEST_F(PrepareDbfTablesTest, CloseAllClosesEveryTable) {
  ASSERT_TRUE(Prepare());
  tables_.ACTS.SetFileName(folder_ / "ACTS.DBF");
  for (DbfTable* table : {&tables_.DataTable, &tables_.DescriptTable, &tables_.ResourceTable, &tables_.PosTools,
                          &tables_.Execute_, &tables_.ACTS, &tables_.PARAMS}) {
    table->Open();
  }
  tables_.CloseAll();
  for (DbfTable* table : {&tables_.DataTable, &tables_.DescriptTable, &tables_.ResourceTable, &tables_.PosTools,
                          &tables_.Execute_, &tables_.ACTS, &tables_.PARAMS}) {
    EXPECT_FALSE(table->Active()) << table->Name();
  }
}

}  // namespace
}  // namespace ranta2kv
