// Records of a DBF file read through a few blocks of whole records. A record
// that follows the block filled last starts a whole block, any other a small
// one; the block refilled is the one read from least recently. Small reads take
// a few records while what they read around a record gets used, else the record
// alone: when look-ups jump all over the file, each copies one record.
#include "source/dbf/dbf_record_block.h"

#include <algorithm>

namespace ranta2kv {

DbfRecordBlock::DbfRecordBlock(const DbfFile& file, std::size_t headerLength, std::size_t recordLength,
                               std::int64_t recordCount, std::size_t blockBytes, std::size_t blocks)
    : file_(&file),
      header_length_(headerLength),
      record_length_(std::max<std::size_t>(1, recordLength)),
      record_count_(recordCount),
      records_per_block_(static_cast<std::int64_t>(std::max<std::size_t>(1, blockBytes / record_length_))),
      records_per_small_read_(std::min(records_per_block_, static_cast<std::int64_t>(std::max<std::size_t>(
                                                               1, kSmallReadBytes / record_length_)))),
      small_read_(records_per_small_read_),
      blocks_(std::max<std::size_t>(1, blocks)) {}

const char* DbfRecordBlock::Record(std::int64_t n) {
  if (file_->IsResident()) {
    const char* record = file_->Bytes().data() + header_length_ + static_cast<std::size_t>(n - 1) * record_length_;
    file_->NoteViewRead(record_length_, n == next_);
    next_ = n + 1;
    return record;
  }
  auto holds = [n](const Block& b) { return b.first != 0 && n >= b.first && n < b.first + b.count; };
  Block* block = &blocks_[last_];
  if (!holds(*block)) {
    auto found = std::find_if(blocks_.begin(), blocks_.end(), holds);
    if (found == blocks_.end()) {
      found = std::min_element(blocks_.begin(), blocks_.end(),
                               [](const Block& a, const Block& b) { return a.used < b.used; });
      const bool small = n != next_;
      // A block given up without serving more than its first record says look-ups
      // jump; the record right after a small read says they do not.
      if (!small && last_fill_small_) small_read_ = records_per_small_read_;
      else if (found->small) small_read_ = found->reused ? records_per_small_read_ : 1;
      last_fill_small_ = small;
      Fill(*found, n, std::min(small ? small_read_ : records_per_block_, record_count_ - n + 1));
      found->small = small;
    }
    block = &*found;
    last_ = static_cast<std::size_t>(found - blocks_.begin());
  }
  if (n != block->first) block->reused = true;
  block->used = ++clock_;
  return block->bytes.get() + static_cast<std::size_t>(n - block->first) * record_length_;
}

void DbfRecordBlock::Fill(Block& block, std::int64_t first, std::int64_t count) {
  if (!block.bytes) block.bytes = std::make_unique<char[]>(static_cast<std::size_t>(records_per_block_) * record_length_);
  block.first = 0;  // empty should the read fail
  file_->ReadAt(header_length_ + static_cast<std::uint64_t>(first - 1) * record_length_, block.bytes.get(),
                static_cast<std::size_t>(count) * record_length_);
  block.first = first;
  block.count = count;
  block.reused = false;
  next_ = first + count;
}

}  // namespace ranta2kv
