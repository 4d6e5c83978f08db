// Records of a DBF file read in file order through a block of whole records that
// one read fills, rather than through the file's mapping: a walk over every
// record of a large table then costs a copy per block, touches no mapped page and
// leaves none of the file resident.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "source/dbf/dbf_file.h"

namespace ranta2kv {

class DbfRecordBlock {
 public:
  // The records of file: record n at headerLength + (n - 1) * recordLength, n from
  // 1 to recordCount (all within the file).
  DbfRecordBlock(const DbfFile& file, std::size_t headerLength, std::size_t recordLength,
                 std::int64_t recordCount);

  // Record n; valid until the next call. Reading in ascending order is cheapest.
  const char* Record(std::int64_t n);

  static constexpr std::size_t kBlockBytes = 128 * 1024;

 private:
  const DbfFile* file_;
  std::size_t header_length_;
  std::size_t record_length_;
  std::int64_t record_count_;
  std::int64_t records_per_block_;
  std::unique_ptr<char[]> block_;  // records first_ .. first_ + count_ - 1
  std::int64_t first_ = 0;
  std::int64_t count_ = 0;
};

}  // namespace ranta2kv
