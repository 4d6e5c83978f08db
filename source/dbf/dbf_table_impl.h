// The private state of a DbfTable: the held file, its header and fields, the
// cursor, the key index with its range, and the scan look-ups of the open table.
// Shared by the table's and the field's implementation files only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/dbf/dbf_file.h"
#include "source/dbf/dbf_header.h"
#include "source/dbf/dbf_record_block.h"
#include "source/dbf/dbf_scan_lookup.h"
#include "source/dbf/dbf_table.h"
#include "source/dbf/key_index.h"

namespace ranta2kv {

// Field names compare without regard to the letter case of A-Z.
inline bool SameFieldName(std::string_view a, std::string_view b) {
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

// The records a LimitToKey admits: the entries [first, last) of the index.
struct KeyRange {
  bool active = false;
  std::string low;   // range key, trailing bytes <= 32 removed
  std::string high;
  std::size_t first = 0;
  std::size_t last = 0;
};

struct DbfTable::Impl {
  DbfFile file;
  DbfHeader header;
  std::vector<DbfField> fields;
  std::uint16_t null_flags_offset = 0;  // the Visual FoxPro null-flags field; width 0 when none
  std::uint16_t null_flags_width = 0;
  std::int64_t record_count = 0;        // whole records in the file at Open
  bool partial_record = false;          // the file ends inside a record
  bool open = false;

  const char* record = nullptr;      // the current record, nullptr when there is none
  std::int64_t record_number = 0;    // its 1-based position in the file
  std::size_t position = 0;          // its position in the index order, when an index is walked
  // The position of a record found by a scan, found out only when the walk goes on.
  static constexpr std::size_t kPositionUnknown = static_cast<std::size_t>(-1);
  bool at_end = true;
  std::uint64_t touched = 0;         // records read since Open
  std::optional<DbfRecordBlock> file_order;  // the cursor's block while it walks in file order
  std::optional<DbfRecordBlock> at_random;   // the blocks of look-ups and key-order walks
  // The current record of a file that is not read whole: a copy, which stays as
  // it is while look-ups read other records.
  std::unique_ptr<char[]> current;

  std::unique_ptr<KeyIndex> index;   // survives Close; replaced by BuildKeyIndex
  TableFileStamp index_stamp;        // the version of the file the index was built from
  std::optional<TableFileStamp> expected_stamp;  // the version the run began with
  KeyRange range;                    // survives Close; ends with the index
  std::vector<DbfScanLookup> lookups;  // of the open table
  std::vector<std::pair<std::string, std::vector<std::size_t>>> listed_fields;  // field lists of the open table

  // Blocks for reading at random: a few, each as large as a block of a walk in
  // file order, so that look-ups in key order through records stored in about
  // that order cost one read per block, and a walk over a large table holds
  // little of it (look-ups that jump read small pieces: see DbfRecordBlock).
  static constexpr std::size_t kRandomBlockBytes = 128 * 1024;
  static constexpr std::size_t kRandomBlocks = 4;

  // Record n (1 <= n <= record_count), valid until the next call; counts as read.
  const char* Record(std::int64_t n) {
    ++touched;
    return at_random->Record(n);
  }

  // Makes the record at bytes (from Record) the current record.
  void SetCurrent(const char* bytes) {
    if (file.IsResident()) {
      record = bytes;
      return;
    }
    if (!current) current = std::make_unique<char[]>(header.record_length);
    std::copy(bytes, bytes + header.record_length, current.get());
    record = current.get();
  }

  // A reader of the records in file order through blocks, for walks over every
  // record; each record it gives counts as read.
  DbfRecordBlock FileOrderBlock() const {
    return DbfRecordBlock(file, header.header_length, header.record_length, record_count);
  }
  DbfRecordBlock RandomBlocks(std::size_t blocks = 0) const {  // 0: kRandomBlocks
    return DbfRecordBlock(file, header.header_length, header.record_length, record_count, kRandomBlockBytes,
                          blocks == 0 ? kRandomBlocks : blocks);
  }
};

}  // namespace ranta2kv
