// The packed attribute values of a node: encoding, decoding and the rebuild of
// the block when a value changes. A change allocates the new block first, so a
// failed allocation leaves the old values untouched.
#include "estimate/attribute_values.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace ranta2kv {
namespace {

constexpr std::size_t kHeaderLength = 4;

std::uint64_t ZigZag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}

std::int64_t UnZigZag(std::uint64_t v) {
  return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

std::size_t VarintLength(std::uint64_t v) {
  std::size_t length = 1;
  while (v >= 0x80) {
    v >>= 7;
    ++length;
  }
  return length;
}

unsigned char* PutVarint(unsigned char* out, std::uint64_t v) {
  while (v >= 0x80) {
    *out++ = static_cast<unsigned char>(v | 0x80);
    v >>= 7;
  }
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

std::size_t PayloadLength(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Integer:
    case Variant::Type::Currency:
    case Variant::Type::Boolean:
      return VarintLength(ZigZag(value.IntegerValue()));
    case Variant::Type::Floating:
    case Variant::Type::DateTime:
      return sizeof(double);
    case Variant::Type::Text:
      return VarintLength(value.TextValue().size()) + value.TextValue().size();
    case Variant::Type::Empty:
    case Variant::Type::Null:
      break;
  }
  return 0;
}

unsigned char* PutEntry(unsigned char* out, std::uint8_t index, const Variant& value) {
  *out++ = index;
  *out++ = static_cast<unsigned char>(value.type());
  switch (value.type()) {
    case Variant::Type::Integer:
    case Variant::Type::Currency:
    case Variant::Type::Boolean:
      return PutVarint(out, ZigZag(value.IntegerValue()));
    case Variant::Type::Floating:
    case Variant::Type::DateTime: {
      double v = value.FloatValue();
      std::memcpy(out, &v, sizeof v);
      return out + sizeof v;
    }
    case Variant::Type::Text: {
      const std::string& text = value.TextValue();
      out = PutVarint(out, text.size());
      std::memcpy(out, text.data(), text.size());
      return out + text.size();
    }
    case Variant::Type::Empty:
    case Variant::Type::Null:
      break;
  }
  return out;
}

}  // namespace

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

std::size_t AttributeValues::EntriesLength() const {
  if (block_ == nullptr) return 0;
  std::uint32_t length = 0;
  std::memcpy(&length, block_, sizeof length);
  return length;
}

std::size_t AttributeValues::Decode(std::size_t offset, StoredValue& value) const {
  const unsigned char* entries = Entries();
  value.index = entries[offset++];
  value.type = static_cast<Variant::Type>(entries[offset++]);
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
  if (cursor.offset >= EntriesLength()) return false;
  cursor.offset = Decode(cursor.offset, cursor.value);
  return true;
}

bool AttributeValues::Has(std::uint8_t index) const {
  for (Cursor c; Next(c);) {
    if (c.value.index == index) return true;
    if (c.value.index > index) break;
  }
  return false;
}

Variant AttributeValues::Get(std::uint8_t index) const {
  for (Cursor c; Next(c);) {
    if (c.value.index == index) return c.value.ToVariant();
    if (c.value.index > index) break;
  }
  return Variant();
}

void AttributeValues::Set(std::uint8_t index, const Variant& value) {
  // The old entry of this index, if any, spans [begin, end); a new one goes at begin.
  std::size_t oldLength = EntriesLength();
  std::size_t begin = oldLength, end = oldLength;
  for (Cursor c;;) {
    std::size_t start = c.offset;
    if (!Next(c)) break;
    if (c.value.index >= index) {
      begin = start;
      end = c.value.index == index ? c.offset : start;
      break;
    }
  }
  if (value.IsEmpty() && begin == end) return;
  std::size_t newEntry = value.IsEmpty() ? 0 : 2 + PayloadLength(value);
  std::size_t newLength = oldLength - (end - begin) + newEntry;
  if (newLength > UINT32_MAX) throw std::length_error("attribute values too long");
  if (newLength == 0) {
    Clear();
    return;
  }
  auto* block = new unsigned char[kHeaderLength + newLength];
  auto length32 = static_cast<std::uint32_t>(newLength);
  std::memcpy(block, &length32, sizeof length32);
  unsigned char* out = block + kHeaderLength;
  if (begin != 0) std::memcpy(out, Entries(), begin);
  out += begin;
  if (newEntry != 0) out = PutEntry(out, index, value);
  if (oldLength != end) std::memcpy(out, Entries() + end, oldLength - end);
  delete[] block_;
  block_ = block;
}

void AttributeValues::Clear() {
  delete[] block_;
  block_ = nullptr;
}

}  // namespace ranta2kv
