// Tests that LocateRecord on several fields finds what a record-by-record scan in
// file order finds, whichever way it takes (the entries of an integer key, or the
// table-wide hash), and that the walk then goes on in key order from the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "source/dbf/dbf_table.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {
namespace fs = std::filesystem;

// POSCODE values 1..9 with many repeats, blanks and a broken one; ID 0, 1 or blank.
fs::path PosTools(const test::ScratchFolder& scratch, std::size_t records, unsigned seed) {
  test::DbfBuilder table;
  table.Field("POSCODE", 'N', 10).Field("ID", 'N', 2).Field("CODE", 'N', 10);
  std::mt19937 random(seed);
  const std::vector<std::string> poscodes = {"1", "2", "3", "4", "5", "9", "", "-4", "1 2"};
  const std::vector<std::string> ids = {"0", "1", "", "0"};
  for (std::size_t i = 0; i < records; ++i) {
    table.Record({poscodes[random() % poscodes.size()], ids[random() % ids.size()], std::to_string(i + 1)},
                 random() % 7 == 0);
  }
  return table.WriteTo(scratch / ("POSTOOLS" + std::to_string(seed) + ".DBF"));
}

// The first record in file order whose POSCODE and ID read as the values.
std::int64_t ScanFor(DbfTable& table, std::int32_t poscode, std::int32_t id) {
  for (table.First(); !table.AtEnd(); table.Next()) {
    if (table.FieldNamed("POSCODE").AsLargeInteger() == poscode && table.FieldNamed("ID").AsInteger() == id) {
      return table.RecordNumber();
    }
  }
  return 0;
}

TEST(DbfScanPathTest, TwoFieldLookUpFindsTheFirstMatchInFileOrderAndWalksOnInKeyOrder) {
  test::ScratchFolder scratch("scan-path");
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const fs::path file = PosTools(scratch, 40 + seed * 7, seed);
    const fs::path copy = scratch / ("PLAIN" + std::to_string(seed) + ".DBF");  // each table holds its file
    fs::copy_file(file, copy);
    DbfTable plain("Plain"), indexed("Indexed");
    plain.SetFileName(copy);
    plain.Open();
    indexed.SetFileName(file);
    indexed.BuildKeyIndex("POSCODE");
    indexed.Open();
    std::vector<std::int64_t> keyOrder;
    for (indexed.First(); !indexed.AtEnd(); indexed.Next()) keyOrder.push_back(indexed.RecordNumber());
    for (std::int32_t poscode : {3, 1, 9, 4, 2, -4, 0, 5, 6, 1, 12}) {
      for (std::int32_t id : {0, 1, 2}) {
        const std::int64_t expected = ScanFor(plain, poscode, id);
        const bool found = indexed.LocateRecord("POSCODE;ID", {Variant(poscode), Variant(id)});
        ASSERT_EQ(found, expected != 0) << "seed " << seed << " POSCODE " << poscode << " ID " << id;
        if (!found) continue;
        ASSERT_EQ(indexed.RecordNumber(), expected) << "seed " << seed << " POSCODE " << poscode << " ID " << id;
        auto at = std::find(keyOrder.begin(), keyOrder.end(), expected);
        indexed.Next();
        if (at + 1 == keyOrder.end()) {
          EXPECT_TRUE(indexed.AtEnd());
        } else {
          EXPECT_EQ(indexed.RecordNumber(), *(at + 1)) << "seed " << seed << " after " << expected;
        }
      }
    }
  }
}

}  // namespace
}  // namespace ranta2kv
