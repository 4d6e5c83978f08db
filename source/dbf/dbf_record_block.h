// Records of a DBF file read through a few blocks of whole records, each filled
// by one read and kept for later records of the same block: a walk in file order
// costs one read per block, and look-ups near each other (in key order) reuse the
// blocks read last. A record that does not follow the last block read is read
// with a few records after it only, and alone once such reads stop serving more
// than the record asked for, so that look-ups all over a large table (records
// not in key order) do not copy a block each. A file read whole at Open is read
// in place instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "source/dbf/dbf_file.h"

namespace ranta2kv {

class DbfRecordBlock {
 public:
  // The records of file: record n at headerLength + (n - 1) * recordLength, n from
  // 1 to recordCount (all within the file at Open), through `blocks` blocks of
  // about blockBytes each.
  DbfRecordBlock(const DbfFile& file, std::size_t headerLength, std::size_t recordLength,
                 std::int64_t recordCount, std::size_t blockBytes = kBlockBytes, std::size_t blocks = 1);

  // Record n; valid until the next call. Throws the change error when the file
  // now ends before it.
  const char* Record(std::int64_t n);

  static constexpr std::size_t kBlockBytes = 128 * 1024;
  // What a read of a record that does not follow the last block reads.
  static constexpr std::size_t kSmallReadBytes = 4 * 1024;

 private:
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::int64_t first = 0;  // the block's first record; 0 while empty
    std::int64_t count = 0;  // records it holds
    std::uint64_t used = 0;  // when it was last read from, for the choice of the block to refill
    bool small = false;      // filled by a read of a record that did not follow the last block
    bool reused = false;     // served a record after the one it was read for
  };
  void Fill(Block& block, std::int64_t first, std::int64_t count);

  const DbfFile* file_;
  std::size_t header_length_;
  std::size_t record_length_;
  std::int64_t record_count_;
  std::int64_t records_per_block_;
  std::int64_t records_per_small_read_;
  std::int64_t small_read_;      // records a read off the last block takes now
  bool last_fill_small_ = false;
  std::int64_t next_ = 0;   // the record after the block filled last
  std::vector<Block> blocks_;
  std::size_t last_ = 0;    // the block read from last
  std::uint64_t clock_ = 0;
};

}  // namespace ranta2kv
