// The key index of one column of a DBF virtual table: every record whose value is
// not NULL, sorted by a key of the value as SQLite's "=" compares it: the integer
// itself for INTEGER columns, a hash of the bytes without trailing blanks for
// TEXT columns (equal under RTRIM, and so under BINARY, means equal hashes). A
// look-up gives the records that may equal a value, a superset that SQLite's own
// check of the constraint narrows, in record order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "source/dbf/dbf_field_value.h"
#include "source/sql/sql_result.h"

struct sqlite3_value;

namespace ranta2kv {

class ColumnKeyIndex {
 public:
  enum class Keys : std::uint8_t { Integer, Text };
  // The keys of a field's column; nothing for a column that gets no key index
  // (REAL, NULL only).
  static std::optional<Keys> KeysOf(DbfValueKind kind);

  explicit ColumnKeyIndex(Keys keys) : keys_(keys) {}

  // Records are added in ascending order; NULL values equal nothing and are left out.
  void Add(const SqlValue& value, std::uint32_t record);
  void Sort();  // after the last Add

  struct Entry {  // 12 bytes
    std::uint32_t key_low, key_high, record;
  };
  // The entries of the records whose value may equal value, in record order;
  // nothing when the value's type does not let the index narrow the records
  // (a number compared with TEXT, a text compared with INTEGER, NULL, BLOB).
  std::optional<std::span<const Entry>> Candidates(sqlite3_value* value) const;

  // The rows a look-up gives on average, for the choice of the index.
  double RowsPerKey() const;
  std::size_t Size() const { return entries_.size(); }

 private:
  void Add(std::uint64_t key, std::uint32_t record);
  std::span<const Entry> Find(std::uint64_t key) const;

  Keys keys_;
  std::vector<Entry> entries_;  // by key, then record
  std::size_t distinct_ = 0;
};

// The key of a text under RTRIM: the bytes without trailing blanks, hashed.
std::uint64_t TextKey(std::string_view text);

}  // namespace ranta2kv
