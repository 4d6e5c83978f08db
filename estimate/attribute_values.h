// The assigned attribute values of one node, packed into a single heap block so
// that the many empty slots of a schema cost nothing and a node's values cost one
// allocation. Values are kept by schema index; an empty value is no entry at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/variant.h"

namespace ranta2kv {

// One assigned value as stored: its schema index, its type and its payload.
struct StoredValue {
  std::uint8_t index = 0;
  Variant::Type type = Variant::Type::Empty;
  std::int64_t integer = 0;  // Integer, Currency, Boolean
  double floating = 0;       // Floating, DateTime
  std::string_view text;     // Text: a view into the block, valid until the next change

  Variant ToVariant() const;
};

class AttributeValues {
 public:
  static constexpr std::size_t kMaxIndex = 255;

  AttributeValues() = default;
  ~AttributeValues() { delete[] block_; }
  AttributeValues(const AttributeValues&) = delete;
  AttributeValues& operator=(const AttributeValues&) = delete;

  bool Has(std::uint8_t index) const;           // an entry, null included
  Variant Get(std::uint8_t index) const;        // empty when there is no entry
  void Set(std::uint8_t index, const Variant& value);  // an empty value removes the entry
  void Clear();

  // Walks the entries in index order: `for (Cursor c; values.Next(c);) use(c.value);`
  struct Cursor {
    std::size_t offset = 0;
    StoredValue value;
  };
  bool Next(Cursor& cursor) const;

 private:
  // Layout: a 4-byte length of the entries, then the entries sorted by index:
  // [index][type][payload], the payload a zig-zag varint (Integer, Currency,
  // Boolean), 8 raw bytes (Floating, DateTime), a varint length and the bytes
  // (Text), or nothing (Null).
  std::size_t EntriesLength() const;
  const unsigned char* Entries() const { return block_ + 4; }
  // Decodes the entry at offset into value; returns the offset after it.
  std::size_t Decode(std::size_t offset, StoredValue& value) const;

  unsigned char* block_ = nullptr;  // none while no value is assigned
};

}  // namespace ranta2kv
