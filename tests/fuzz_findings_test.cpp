// Regression tests of what fuzzing found: each case is the smallest table (or
// estimate) that once broke the reader, the key index or a pass, built by hand,
// with the behaviour that is right for it. The crashing inputs themselves are
// in fuzz/corpus/, which CI replays through the fuzz targets.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/error.h"
#include "source/dbf/dbf_table.h"
#include "source/dbf/key_index.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

using test::DbfBuilder;
using test::ScratchFolder;

class FuzzFindingTest : public ::testing::Test {
 protected:
  DbfTable& Opened(const DbfBuilder& builder) {
    table_.SetFileName(builder.WriteTo(folder_ / "T.DBF"));
    table_.Open();
    return table_;
  }
  DbfTable& Indexed(const DbfBuilder& builder, const char* keyField) {
    table_.SetFileName(builder.WriteTo(folder_ / "T.DBF"));
    table_.BuildKeyIndex(keyField);
    table_.Open();
    return table_;
  }
  std::vector<std::int64_t> WalkedRecords() {
    std::vector<std::int64_t> records;
    for (table_.First(); !table_.AtEnd(); table_.Next()) records.push_back(table_.RecordNumber());
    return records;
  }

  ScratchFolder folder_{"fuzz_findings"};
  DbfTable table_{"FuzzTable", ','};
};

// A field of width 0 has the empty key: every record ties, so the key order is
// the file order, and a search key cut to no bytes finds nothing (the index
// once wrote its keys through a null pointer).
TEST_F(FuzzFindingTest, KeyIndexOnAFieldOfWidthZero) {
  DbfBuilder builder;
  builder.Field("N", 'N', 2).Field("CODE", 'C', 0).Field("ODD", '(', 0);
  builder.Record({"2", "", ""}).Record({"1", "", ""});
  for (const char* key : {"CODE", "ODD"}) {
    Indexed(builder, key);
    EXPECT_EQ(table_.Index()->KeyLength(), 0) << key;
    EXPECT_EQ(WalkedRecords(), (std::vector<std::int64_t>{1, 2})) << key;
    EXPECT_FALSE(table_.LocateRecord(key, Variant("x"))) << key;
    table_.Close();
  }
}

// A Visual FoxPro text key whose null flag is set has the key of the empty text.
TEST_F(FuzzFindingTest, KeyIndexOnANullTextField) {
  DbfBuilder builder(0x30);
  builder.Field("CODE", 'C', 3, 0, 0x02).Field("_NullFlags", '0', 1, 0, 0x05);
  builder.RawRecord(std::string(" bbb\0", 5)).RawRecord(" aaa\x01");
  Indexed(builder, "CODE");
  EXPECT_EQ(WalkedRecords(), (std::vector<std::int64_t>{2, 1}));
  table_.First();
  EXPECT_TRUE(table_.FieldNamed("CODE").IsNull());
}

// Every committed table input that once found a fault: it opens or is refused
// with the reader's error, and every field builds a key index that walks all
// records. Run under the sanitizers in CI, this replays the fault itself.
TEST(CommittedFindingTest, TableInputsAreReadSafely) {
  const std::filesystem::path corpus = std::filesystem::path(RANTA2KV_SOURCE_DIR) / "fuzz/corpus/dbf_table_fuzzer";
  int findings = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (!entry.path().filename().string().starts_with("finding-")) continue;
    ++findings;
    DbfTable table("FuzzTable", ',');
    table.SetFileName(entry.path());
    std::vector<std::string> names;
    try {
      table.Open();
      for (const DbfField& field : table.Fields()) names.push_back(field.Name());
      table.Close();
    } catch (const Error&) {
      continue;
    }
    for (const std::string& name : names) {
      table.BuildKeyIndex(name);
      table.Open();
      std::int64_t walked = 0;
      for (table.First(); !table.AtEnd(); table.Next()) ++walked;
      EXPECT_EQ(walked, table.RecordCount()) << entry.path() << " " << name;
      table.Close();
    }
  }
  EXPECT_GT(findings, 0);
}

}  // namespace
}  // namespace ranta2kv
