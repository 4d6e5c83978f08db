// The packed attribute values of a node: encoding and decoding of entries, the
// choice between the inline bytes and a heap block, and the rebuild when a value
// changes. A change builds the new bytes first, so a failed allocation leaves the
// old values untouched.
#include "estimate/attribute_values.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "estimate/attribute_text.h"

namespace ranta2kv {
namespace {

static_assert(std::endian::native == std::endian::little, "the inline flag is the low bit of the first byte");

// Codes above the variant types: a floating value stored as an integer m with
// value == m / 10^k, code kScaledDecimal + k.
constexpr unsigned char kScaledDecimal = 0x10;
constexpr int kMaxScale = 9;
constexpr double kPowersOfTen[kMaxScale + 1] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

std::uint64_t ZigZag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}

std::int64_t UnZigZag(std::uint64_t v) {
  return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

std::size_t VarintLength(std::uint64_t v) {
  std::size_t length = 1;
  for (; v >= 0x80; v >>= 7) ++length;
  return length;
}

unsigned char* PutVarint(unsigned char* out, std::uint64_t v) {
  for (; v >= 0x80; v >>= 7) *out++ = static_cast<unsigned char>(v | 0x80);
  *out++ = static_cast<unsigned char>(v);
  return out;
}

std::uint64_t GetVarint(const unsigned char* in, std::size_t& offset) {
  std::uint64_t v = 0;
  for (int shift = 0;; shift += 7) {
    unsigned char b = in[offset++];
    v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
    if (b < 0x80) return v;
  }
}

// The offset after the entry at offset: its index and code, then its payload
// skipped without decoding it.
std::size_t EntryEnd(const unsigned char* entries, std::size_t offset) {
  const unsigned char code = entries[offset + 1];
  offset += 2;
  auto skipVarint = [&] {
    while (entries[offset++] >= 0x80) {
    }
  };
  if (code >= kScaledDecimal) {
    skipVarint();
    return offset;
  }
  switch (static_cast<Variant::Type>(code)) {
    case Variant::Type::Integer:
    case Variant::Type::Currency:
    case Variant::Type::Boolean:
      skipVarint();
      break;
    case Variant::Type::Floating:
    case Variant::Type::DateTime:
      offset += sizeof(double);
      break;
    case Variant::Type::Text: {
      std::size_t length = GetVarint(entries, offset);
      offset += length;
      break;
    }
    case Variant::Type::Empty:
    case Variant::Type::Null:
      break;
  }
  return offset;
}

}  // namespace

// One entry, encoded once to learn its length and once to write it.
struct AttributeValues::EncodedEntry {
  unsigned char code = 0;
  std::uint64_t varint = 0;       // integer payload, or the text length
  bool hasVarint = false;
  double raw = 0;                 // 8-byte payload
  bool hasRaw = false;
  std::string_view text;

  static EncodedEntry Integer(Variant::Type type, std::int64_t value) {
    EncodedEntry entry;
    entry.code = static_cast<unsigned char>(type);
    entry.varint = ZigZag(value);
    entry.hasVarint = true;
    return entry;
  }
  static EncodedEntry Raw(Variant::Type type, double value) {
    EncodedEntry entry;
    entry.code = static_cast<unsigned char>(type);
    entry.raw = value;
    entry.hasRaw = true;
    return entry;
  }
  // digits / 10^scale, scale 0..kMaxScale.
  static EncodedEntry Scaled(std::int64_t digits, int scale) {
    EncodedEntry entry = Integer(Variant::Type::Floating, digits);
    entry.code = static_cast<unsigned char>(kScaledDecimal + scale);
    return entry;
  }
  static EncodedEntry Floating(double value) {
    std::int64_t scaled = 0;
    const int scale = DecimalScale(value, scaled);
    return scale >= 0 ? Scaled(scaled, scale) : Raw(Variant::Type::Floating, value);
  }
  static EncodedEntry Text(std::string_view value) {
    EncodedEntry entry;
    entry.code = static_cast<unsigned char>(Variant::Type::Text);
    entry.text = value;
    entry.varint = value.size();
    entry.hasVarint = true;
    return entry;
  }
  static EncodedEntry Of(const Variant& value) {
    switch (value.type()) {
      case Variant::Type::Integer:
      case Variant::Type::Currency:
      case Variant::Type::Boolean:
        return Integer(value.type(), value.IntegerValue());
      case Variant::Type::Floating:
        return Floating(value.FloatValue());
      case Variant::Type::DateTime:
        return Raw(Variant::Type::DateTime, value.FloatValue());
      case Variant::Type::Text:
        return Text(value.TextValue());
      case Variant::Type::Empty:
      case Variant::Type::Null:
        break;
    }
    EncodedEntry entry;
    entry.code = static_cast<unsigned char>(value.type());
    return entry;
  }

  std::size_t Length() const {
    return 2 + (hasVarint ? VarintLength(varint) : 0) + (hasRaw ? sizeof raw : 0) + text.size();
  }

  unsigned char* Put(unsigned char* out, std::uint8_t index) const {
    *out++ = index;
    *out++ = code;
    if (hasVarint) out = PutVarint(out, varint);
    if (hasRaw) {
      std::memcpy(out, &raw, sizeof raw);
      out += sizeof raw;
    }
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    return out + text.size();
  }
};

Variant StoredValue::ToVariant() const {
  switch (type) {
    case Variant::Type::Null: return Variant::Null();
    case Variant::Type::Integer: return Variant(integer);
    case Variant::Type::Currency: return Variant::Currency(integer);
    case Variant::Type::Boolean: return Variant::Boolean(integer != 0);
    case Variant::Type::Floating: return Variant(floating);
    case Variant::Type::DateTime: return Variant::DateTime(floating);
    case Variant::Type::Text: return Variant(text);
    case Variant::Type::Empty: break;
  }
  return Variant();
}

unsigned char* AttributeValues::HeapBlock() const {
  unsigned char* block = nullptr;
  std::memcpy(&block, storage_, sizeof block);
  return block;
}

AttributeValues::Bytes AttributeValues::Entries() const {
  if (IsInline()) return {storage_ + 1, static_cast<std::size_t>(storage_[0] >> 1)};
  const unsigned char* block = HeapBlock();
  if (block == nullptr) return {nullptr, 0};
  std::uint32_t length = 0;
  std::memcpy(&length, block, sizeof length);
  return {block + kBlockHead, length};
}

std::size_t AttributeValues::Decode(const unsigned char* entries, std::size_t offset, StoredValue& value) const {
  value.index = entries[offset++];
  unsigned char code = entries[offset++];
  if (code >= kScaledDecimal) {
    value.type = Variant::Type::Floating;
    value.scale = code - kScaledDecimal;
    value.integer = UnZigZag(GetVarint(entries, offset));
    value.floating = static_cast<double>(value.integer) / kPowersOfTen[value.scale];
    return offset;
  }
  value.type = static_cast<Variant::Type>(code);
  value.scale = -1;
  switch (value.type) {
    case Variant::Type::Integer:
    case Variant::Type::Currency:
    case Variant::Type::Boolean:
      value.integer = UnZigZag(GetVarint(entries, offset));
      break;
    case Variant::Type::Floating:
    case Variant::Type::DateTime:
      std::memcpy(&value.floating, entries + offset, sizeof(double));
      offset += sizeof(double);
      break;
    case Variant::Type::Text: {
      std::size_t length = GetVarint(entries, offset);
      value.text = std::string_view(reinterpret_cast<const char*>(entries + offset), length);
      offset += length;
      break;
    }
    case Variant::Type::Empty:
    case Variant::Type::Null:
      break;
  }
  return offset;
}

bool AttributeValues::Next(Cursor& cursor) const {
  Bytes entries = Entries();
  if (cursor.offset >= entries.size) return false;
  cursor.offset = Decode(entries.data, cursor.offset, cursor.value);
  return true;
}

bool AttributeValues::Has(std::uint8_t index) const {
  const Bytes entries = Entries();
  for (std::size_t offset = 0; offset < entries.size; offset = EntryEnd(entries.data, offset)) {
    if (entries.data[offset] >= index) return entries.data[offset] == index;
  }
  return false;
}

Variant AttributeValues::Get(std::uint8_t index) const {
  const Bytes entries = Entries();
  for (std::size_t offset = 0; offset < entries.size; offset = EntryEnd(entries.data, offset)) {
    if (entries.data[offset] == index) {
      StoredValue value;
      Decode(entries.data, offset, value);
      return value.ToVariant();
    }
    if (entries.data[offset] > index) break;
  }
  return Variant();
}

// One Set: the span [begin, end) of the old entry of the index (empty when it
// has none; the new entry goes at begin), and the entry that replaces it.
struct AttributeValues::Change {
  Bytes old;                    // the entries before the change
  std::size_t begin = 0, end = 0;
  std::uint8_t index = 0;
  const EncodedEntry* entry = nullptr;  // nothing: the entry goes
  std::size_t entryLength = 0;
  std::size_t length = 0;       // of the entries after the change
};

void AttributeValues::Set(std::uint8_t index, const Variant& value) {
  if (value.IsEmpty()) {
    Put(index, nullptr);
  } else {
    const EncodedEntry entry = EncodedEntry::Of(value);
    Put(index, &entry);
  }
}

void AttributeValues::SetInteger(std::uint8_t index, std::int64_t value) {
  const EncodedEntry entry = EncodedEntry::Integer(Variant::Type::Integer, value);
  Put(index, &entry);
}

void AttributeValues::SetFloating(std::uint8_t index, double value) {
  const EncodedEntry entry = EncodedEntry::Floating(value);
  Put(index, &entry);
}

void AttributeValues::SetDecimal(std::uint8_t index, const DecimalNumber& value) {
  if (value.scale < 0 || value.scale > kMaxScale) return SetFloating(index, value.value);
  const EncodedEntry entry = EncodedEntry::Scaled(value.digits, value.scale);
  Put(index, &entry);
}

void AttributeValues::SetText(std::uint8_t index, std::string_view value) {
  const EncodedEntry entry = EncodedEntry::Text(value);
  Put(index, &entry);
}

void AttributeValues::Reserve(std::size_t bytes) {
  if (bytes <= kInlineCapacity || !IsInline() || (storage_[0] >> 1) != 0) return;
  unsigned char* block = new unsigned char[kBlockHead + bytes];
  const std::uint32_t length = 0, capacity = static_cast<std::uint32_t>(bytes);
  std::memcpy(block, &length, sizeof length);
  std::memcpy(block + 4, &capacity, sizeof capacity);
  std::memcpy(storage_, &block, sizeof block);
}

void AttributeValues::Put(std::uint8_t index, const EncodedEntry* entry) {
  Change change;
  change.old = Entries();
  change.index = index;
  change.begin = change.end = change.old.size;
  for (std::size_t offset = 0; offset < change.old.size; offset = EntryEnd(change.old.data, offset)) {
    if (change.old.data[offset] >= index) {
      change.begin = offset;
      change.end = change.old.data[offset] == index ? EntryEnd(change.old.data, offset) : offset;
      break;
    }
  }
  if (entry == nullptr && change.begin == change.end) return;
  if (entry != nullptr) {
    change.entry = entry;
    change.entryLength = entry->Length();
  }
  change.length = change.old.size - (change.end - change.begin) + change.entryLength;
  if (change.length == 0) {
    Clear();
    return;
  }
  if (!ChangeInPlace(change)) ChangeByRebuild(change);
}

// The entry goes into the heap block in place when the block has room and the
// value's text is not inside the block.
bool AttributeValues::ChangeInPlace(const Change& change) {
  unsigned char* const block = IsInline() ? nullptr : HeapBlock();
  if (block == nullptr || change.length <= kInlineCapacity) return false;
  std::uint32_t capacity = 0;
  std::memcpy(&capacity, block + 4, sizeof capacity);
  const std::string_view text = change.entry != nullptr ? change.entry->text : std::string_view();
  const bool aliased = !text.empty() && text.data() >= reinterpret_cast<const char*>(block) &&
                       text.data() < reinterpret_cast<const char*>(block + kBlockHead + capacity);
  if (change.length > capacity || aliased) return false;
  unsigned char* entries = block + kBlockHead;
  if (change.old.size != change.end) {
    std::memmove(entries + change.begin + change.entryLength, entries + change.end, change.old.size - change.end);
  }
  if (change.entry != nullptr) change.entry->Put(entries + change.begin, change.index);
  const std::uint32_t newLength = static_cast<std::uint32_t>(change.length);
  std::memcpy(block, &newLength, sizeof newLength);
  return true;
}

// New bytes, inline or in a new block, built before the old ones go.
void AttributeValues::ChangeByRebuild(const Change& change) {
  unsigned char inlineBytes[sizeof storage_] = {};
  unsigned char* block = nullptr;
  unsigned char* out = nullptr;
  if (change.length <= kInlineCapacity) {
    inlineBytes[0] = static_cast<unsigned char>(change.length << 1 | 1);
    out = inlineBytes + 1;
  } else {
    if (change.length > std::numeric_limits<std::uint32_t>::max() / 2) throw std::length_error("attribute values too long");
    const std::uint32_t newLength = static_cast<std::uint32_t>(change.length);
    const std::uint32_t capacity = static_cast<std::uint32_t>(change.length + change.length / 2);
    block = new unsigned char[kBlockHead + capacity];
    std::memcpy(block, &newLength, sizeof newLength);
    std::memcpy(block + 4, &capacity, sizeof capacity);
    out = block + kBlockHead;
  }
  const Bytes& old = change.old;
  if (change.begin != 0) std::memcpy(out, old.data, change.begin);
  out += change.begin;
  if (change.entry != nullptr) out = change.entry->Put(out, change.index);
  if (old.size != change.end) std::memcpy(out, old.data + change.end, old.size - change.end);

  Clear();
  if (block != nullptr) std::memcpy(storage_, &block, sizeof block);
  else std::memcpy(storage_, inlineBytes, sizeof storage_);
}

void AttributeValues::Clear() {
  if (!IsInline()) delete[] HeapBlock();
  std::memset(storage_, 0, sizeof storage_);
}

}  // namespace ranta2kv
