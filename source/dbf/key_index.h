// The in-memory key index of a DBF table on one field: one entry (key text, record
// number) per record, ordered by key byte by byte and, among equal keys, by record
// number. Keys are kept in one buffer in file order; the order is an array of
// record numbers, so an index costs key length + 4 bytes per record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source/dbf/key_text.h"

namespace ranta2kv {

class KeyIndex {
 public:
  KeyIndex(std::string keyExpression, KeyFormat format);

  const std::string& Name() const { return name_; }            // "Index0"
  const std::string& BagName() const { return bag_name_; }     // "Bag0"
  const std::string& OrderName() const { return order_name_; } // "Order0"
  const std::string& KeyExpression() const { return key_expression_; }
  const KeyFormat& Format() const { return format_; }
  std::uint16_t KeyLength() const { return format_.length; }
  std::uint8_t KeyDecimals() const { return format_.decimals; }
  bool Unique() const { return false; }
  bool Descending() const { return false; }

  // Building: the key slots of records 1, 2, ... in file order, then Sort.
  void Reserve(std::size_t records);
  char* AppendKey();  // the slot of the next record's key, KeyLength() bytes
  void Sort();
  // True when the records were in key order already (the order is 1, 2, ...).
  bool InRecordOrder() const { return in_record_order_; }

  std::size_t Size() const { return order_.size(); }
  std::uint32_t RecordAt(std::size_t position) const { return order_[position]; }
  std::string_view KeyAt(std::size_t position) const {
    return std::string_view(keys_.data() + position * static_cast<std::size_t>(format_.length), format_.length);
  }

  // Positions in key order within [first, last) of the first entry whose leading
  // bound.size() bytes (at most the key length) are not below, or are above, the
  // bound.
  std::size_t LowerBound(std::string_view bound, std::size_t first, std::size_t last) const;
  std::size_t UpperBound(std::string_view bound, std::size_t first, std::size_t last) const;
  // The same, searched outward from hint in doubling steps: cheap when the answer
  // lies near hint, as it does when look-ups come in key order.
  std::size_t LowerBoundNear(std::string_view bound, std::size_t hint, std::size_t first, std::size_t last) const;
  std::size_t UpperBoundNear(std::string_view bound, std::size_t hint, std::size_t first, std::size_t last) const;
  // The position of a record's entry (the first call makes a table of them).
  std::size_t PositionOf(std::uint32_t record) const;

 private:
  std::string name_ = "Index0";
  std::string bag_name_ = "Bag0";
  std::string order_name_ = "Order0";
  std::string key_expression_;        // the key field's name
  KeyFormat format_;
  std::vector<char> keys_;            // the key at position p at p * key length
  std::vector<std::uint32_t> order_;  // record numbers in key order
  bool in_record_order_ = true;
  mutable std::vector<std::uint32_t> positions_;  // record n's position at n - 1, once asked for
};

}  // namespace ranta2kv
