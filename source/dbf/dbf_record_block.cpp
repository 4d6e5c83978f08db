// Records of a DBF file read in file order through a block of whole records.
#include "source/dbf/dbf_record_block.h"

#include <algorithm>

namespace ranta2kv {

DbfRecordBlock::DbfRecordBlock(const DbfFile& file, std::size_t headerLength, std::size_t recordLength,
                               std::int64_t recordCount)
    : file_(&file),
      header_length_(headerLength),
      record_length_(recordLength),
      record_count_(recordCount),
      records_per_block_(static_cast<std::int64_t>(std::max<std::size_t>(1, kBlockBytes / std::max<std::size_t>(1, recordLength)))) {}

const char* DbfRecordBlock::Record(std::int64_t n) {
  const std::size_t offset = header_length_ + static_cast<std::size_t>(n - 1) * record_length_;
  if (!file_->IsMapped()) return file_->Bytes().data() + offset;  // a read file is in memory already
  if (n < first_ || n >= first_ + count_) {
    if (!block_) block_ = std::make_unique<char[]>(static_cast<std::size_t>(records_per_block_) * record_length_);
    first_ = n;
    count_ = std::min(records_per_block_, record_count_ - n + 1);
    file_->ReadAt(offset, block_.get(), static_cast<std::size_t>(count_) * record_length_);
  }
  return block_.get() + static_cast<std::size_t>(n - first_) * record_length_;
}

}  // namespace ranta2kv
