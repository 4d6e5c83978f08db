// Tests of a table of more than 4 GiB (a sparse file, only its header and a few
// records written): its record count comes from the file's size and the records
// past 2 and 4 GiB read as written, in a 32-bit build too.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "source/dbf/dbf_table.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

constexpr std::int64_t kFieldWidth = 250;
constexpr std::int64_t kRecordLength = kFieldWidth + 1;  // the deletion flag first
constexpr std::int64_t kRecords = (std::int64_t{1} << 32) / kRecordLength + 1000;

std::string RecordBytes(const std::string& text) {
  return " " + text + std::string(static_cast<std::size_t>(kFieldWidth) - text.size(), ' ');
}

TEST(LargeTableTest, RecordsPastTwoAndFourGibReadAsWritten) {
  test::ScratchFolder scratch("large-table");
  const auto path = scratch / "SMETA.DBF";
  test::DbfBuilder builder;
  builder.Field("NAME", 'C', kFieldWidth).Record({"first"}).HeaderRecordCount(static_cast<std::uint32_t>(kRecords));
  const std::string head = builder.Bytes();
  const std::int64_t headerLength = static_cast<unsigned char>(head[8]) | static_cast<unsigned char>(head[9]) << 8;
  auto offsetOf = [&](std::int64_t n) { return headerLength + (n - 1) * kRecordLength; };
  // The records that hold the bytes at 2 GiB and at 4 GiB, and the last one.
  const std::int64_t past2 = ((std::int64_t{1} << 31) - headerLength) / kRecordLength + 1;
  const std::int64_t past4 = ((std::int64_t{1} << 32) - headerLength) / kRecordLength + 1;
  {
    std::ofstream out(path, std::ios::binary);
    out.write(head.data(), static_cast<std::streamsize>(offsetOf(2)));
    for (std::int64_t n : {past2, past4, kRecords}) {
      out.seekp(static_cast<std::streamoff>(offsetOf(n)));
      out << RecordBytes("record " + std::to_string(n));
    }
    out << '\x1A';
    ASSERT_TRUE(out.good()) << "cannot write a sparse file of 4 GiB in " << scratch.Path();
  }
  DbfTable table("Smeta");
  table.SetFileName(path);
  table.Open();
  EXPECT_EQ(table.RecordCount(), kRecords);
  DbfRecordBlock reader = table.RecordReader(false);
  EXPECT_EQ(std::string(reader.Record(1), kRecordLength), RecordBytes("first"));
  for (std::int64_t n : {past2, past4, kRecords}) {
    EXPECT_EQ(std::string(reader.Record(n), kRecordLength), RecordBytes("record " + std::to_string(n))) << n;
  }
}

}  // namespace
}  // namespace ranta2kv
