// Tests of how much of a large table the DBF reader keeps in memory: a walk reads
// it through a few reused blocks, and what it read stays right.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "source/dbf/dbf_file.h"
#include "source/dbf/dbf_table.h"
#include "tests/support/child_process.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {
namespace fs = std::filesystem;

constexpr int kRecords = 24000;  // of 1001 bytes: a 24 MB file, read in blocks
// What a walk may add: its blocks and the key index, not the file.
constexpr std::int64_t kMaxResidentKb = 6144;

std::string TextOf(std::int64_t code) {
  std::string text = "record " + std::to_string(code);
  text.resize(990, ' ');
  return text;
}

// The header from the builder, the records written straight (the reader counts
// records from the file size).
fs::path LargeTable(const test::ScratchFolder& scratch) {
  test::DbfBuilder header;
  header.Field("CODE", 'N', 10).Field("TEXT", 'C', 990);
  std::string bytes = header.Bytes();
  bytes.reserve(bytes.size() + kRecords * std::size_t{1001});
  for (int i = 1; i <= kRecords; ++i) {
    const std::string code = std::to_string(i);
    bytes += ' ' + std::string(10 - code.size(), ' ') + code + TextOf(i);
  }
  const fs::path file = scratch / "LARGE.DBF";
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

// The resident memory of this process, from /proc/self/status.
std::int64_t ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  std::int64_t kb = 0;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) std::istringstream(line.substr(6)) >> kb;
  }
  return kb;
}

TEST(DbfResidencyTest, WalkInFileOrderKeepsLittleOfTheFileInMemory) {
  test::ScratchFolder scratch("residency");
  const fs::path file = LargeTable(scratch);
  const std::int64_t before = ResidentKb();
  DbfTable table("Large");
  table.SetFileName(file);
  table.Open();
  std::int64_t sum = 0;
  for (; !table.AtEnd(); table.Next()) sum += table.FieldNamed("CODE").AsInteger();
  EXPECT_EQ(sum, std::int64_t{kRecords} * (kRecords + 1) / 2);
  // AddressSanitizer's quarantine keeps freed memory resident, ThreadSanitizer's
  // shadow grows with the memory touched.
  if (!test::UnderAddressSanitizer() && !test::UnderThreadSanitizer()) {
    EXPECT_LE(ResidentKb() - before, kMaxResidentKb);
  }
}

TEST(DbfResidencyTest, KeyOrderWalkAndLookUpsReadTheSameValuesThroughReusedBlocks) {
  test::ScratchFolder scratch("residency");
  const fs::path file = LargeTable(scratch);
  const std::int64_t before = ResidentKb();
  DbfTable table("Large");
  table.SetFileName(file);
  table.BuildKeyIndex("CODE");
  table.Open();
  std::int64_t expected = 1;
  for (; !table.AtEnd(); table.Next(), ++expected) {
    ASSERT_EQ(table.FieldNamed("CODE").AsInteger(), expected);
    ASSERT_EQ(table.FieldNamed("TEXT").AsString(), TextOf(expected));
  }
  EXPECT_EQ(expected, kRecords + 1);
  ASSERT_TRUE(table.LocateRecord("CODE", Variant(std::int32_t{7})));
  // Reading every other record by the scan path refills the blocks while record 7 is current.
  EXPECT_FALSE(table.LocateRecord("CODE;TEXT", {Variant(std::int32_t{7}), Variant("no such text")}));
  EXPECT_EQ(table.RecordNumber(), 7);
  EXPECT_EQ(table.FieldNamed("TEXT").AsString(), TextOf(7));
  // AddressSanitizer's quarantine keeps freed memory resident, ThreadSanitizer's
  // shadow grows with the memory touched.
  if (!test::UnderAddressSanitizer() && !test::UnderThreadSanitizer()) {
    EXPECT_LE(ResidentKb() - before, kMaxResidentKb);
  }
}

}  // namespace
}  // namespace ranta2kv

namespace ranta2kv {
namespace {

// A file of short records larger than the reads of a whole file: read whole only
// when asked (its look-ups will jump all over it), and only while its records are
// short and the file not too large.
TEST(DbfResidencyTest, ShortRecordsAreReadWholeOnlyWhenAsked) {
  test::ScratchFolder scratch("short_records");
  auto write = [&](const char* name, std::size_t textWidth, std::size_t records) {
    test::DbfBuilder header;
    header.Field("CODE", 'N', 10).Field("TEXT", 'C', textWidth);
    std::string bytes = header.Bytes();
    bytes.append(records * (11 + textWidth), ' ');
    const std::filesystem::path file = scratch / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  };
  const auto shortRecords = write("SHORT.DBF", 20, 100000);  // 31-byte records, 3.1 MB
  const auto longRecords = write("LONG.DBF", 200, 20000);    // 211-byte records, 4.2 MB
  DbfFile file;
  ASSERT_TRUE(file.Open(shortRecords));
  EXPECT_FALSE(file.IsResident());
  ASSERT_TRUE(file.Open(shortRecords, nullptr, true));
  EXPECT_TRUE(file.IsResident());
  EXPECT_EQ(file.Bytes().size(), std::filesystem::file_size(shortRecords));
  ASSERT_TRUE(file.Open(longRecords, nullptr, true));
  EXPECT_FALSE(file.IsResident());
  const auto huge = write("HUGE.DBF", 20, DbfFile::kMaxShortRecordsSize / 31 + 1000);
  ASSERT_TRUE(file.Open(huge, nullptr, true));
  EXPECT_FALSE(file.IsResident());
}

}  // namespace
}  // namespace ranta2kv
