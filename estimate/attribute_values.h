// The assigned attribute values of one node, packed into as few bytes as they
// take: a handful of bytes live inside the object itself, more in one heap block.
// Values are kept by schema index; an empty value is no entry at all, so the many
// empty slots of a schema cost nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/decimal_number.h"
#include "common/variant.h"

namespace ranta2kv {

// One assigned value as stored: its schema index, its type and its payload.
struct StoredValue {
  std::uint8_t index = 0;
  Variant::Type type = Variant::Type::Empty;
  std::int64_t integer = 0;  // Integer, Currency, Boolean; a scaled decimal's integer
  double floating = 0;       // Floating, DateTime
  int scale = -1;            // a Floating value stored as integer / 10^scale, else -1
  std::string_view text;     // Text: a view into the storage, valid until the next change

  Variant ToVariant() const;
};

class AttributeValues {
 public:
  static constexpr std::size_t kMaxIndex = 255;

  AttributeValues() = default;
  ~AttributeValues() { Clear(); }
  AttributeValues(const AttributeValues&) = delete;
  AttributeValues& operator=(const AttributeValues&) = delete;

  bool Has(std::uint8_t index) const;           // an entry, null included
  Variant Get(std::uint8_t index) const;        // empty when there is no entry
  void Set(std::uint8_t index, const Variant& value);  // an empty value removes the entry
  // The same for values of a known type, without a variant.
  void SetInteger(std::uint8_t index, std::int64_t value);
  void SetFloating(std::uint8_t index, double value);
  void SetDecimal(std::uint8_t index, const DecimalNumber& value);  // a floating value
  void SetText(std::uint8_t index, std::string_view value);
  // Room for entries of that many bytes, taken at once (for a node about to get
  // many values); only while there are none.
  void Reserve(std::size_t bytes);
  void Clear();

  // Walks the entries in index order: `for (Cursor c; values.Next(c);) use(c.value);`
  struct Cursor {
    std::size_t offset = 0;
    StoredValue value;
  };
  bool Next(Cursor& cursor) const;

 private:
  // The entries, sorted by index, are [index][code][payload]: the code is the
  // value's type, or a scaled-decimal code for a floating value that is an
  // integer divided by a power of ten; the payload is a zig-zag varint (integer
  // types and scaled decimals), 8 raw bytes (other floating values), a varint
  // length and the bytes (text), or nothing (null).
  // Up to kInlineCapacity bytes of entries sit in storage_ itself, after a byte
  // (length << 1 | 1); more go to a heap block [uint32 length][uint32 capacity]
  // [entries] whose address the first bytes of storage_ hold (an even address, so
  // the first byte's low bit is 0). A block grows by half again when it must, so
  // a node given its values one by one reallocates a few times, not each time.
  static constexpr std::size_t kInlineCapacity = 15;

  struct Bytes {
    const unsigned char* data;
    std::size_t size;
  };
  Bytes Entries() const;
  bool IsInline() const { return (storage_[0] & 1) != 0; }
  unsigned char* HeapBlock() const;
  static constexpr std::size_t kBlockHead = 8;
  std::size_t Decode(const unsigned char* entries, std::size_t offset, StoredValue& value) const;
  struct EncodedEntry;
  struct Change;
  void Put(std::uint8_t index, const EncodedEntry* entry);  // nothing: the entry goes
  bool ChangeInPlace(const Change& change);
  void ChangeByRebuild(const Change& change);

  alignas(8) unsigned char storage_[kInlineCapacity + 1] = {};  // all zero: no values
};

}  // namespace ranta2kv
