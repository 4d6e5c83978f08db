// Reading of a .DBF header and its field descriptors. A damaged header ends in an
// error naming the file; after it, every field lies inside the record and the
// record length is between 1 and one block.
#include "source/dbf/dbf_header.h"

#include "common/error.h"

namespace ranta2kv {
namespace {

constexpr std::size_t kBaseHeaderSize = 32;
constexpr std::size_t kDbase7HeaderSize = 68;
constexpr std::size_t kDbase7DescriptorSize = 48;
constexpr char kTerminator = 0x0D;
constexpr const char* kOpenPrefix = "TQXSmartDBF.InternalOpen: ";

unsigned Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

unsigned Word(std::string_view bytes, std::size_t at) { return Byte(bytes, at) | Byte(bytes, at + 1) << 8; }

[[noreturn]] void ThrowDamaged(const std::string& fileName, const std::string& reason) {
  throw Error(std::string(kOpenPrefix) + "File \"" + fileName + "\" is damaged: " + reason);
}

std::string DescriptorName(std::string_view raw) {
  std::size_t nul = raw.find('\0');
  if (nul != std::string_view::npos) raw = raw.substr(0, nul);
  while (!raw.empty() && raw.front() == ' ') raw.remove_prefix(1);
  while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
  std::string name(raw);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

// The width the field takes in the record, which can differ from what the
// descriptor says (logical, date and memo fields have fixed widths).
std::uint16_t RecordWidth(char type, unsigned widthByte, unsigned decimalsByte, const DbfVariant& variant) {
  switch (type) {
    case 'C': return static_cast<std::uint16_t>(widthByte | decimalsByte << 8);
    case 'L': return 1;
    case 'D': return 8;
    case 'M': return variant.visual_foxpro ? 4 : 10;
    default: return static_cast<std::uint16_t>(widthByte);
  }
}

DbfDescriptor ReadDescriptor(std::string_view raw, const DbfVariant& variant) {
  DbfDescriptor field;
  if (variant.dbase7) {
    field.name = DescriptorName(raw.substr(0, 32));
    field.type = raw[32];
    field.width = RecordWidth(field.type, Byte(raw, 33), Byte(raw, 34), variant);
    field.decimals = field.type == 'C' ? 0 : static_cast<std::uint8_t>(Byte(raw, 34));
  } else {
    field.name = DescriptorName(raw.substr(0, 11));
    field.type = raw[11];
    field.width = RecordWidth(field.type, Byte(raw, 16), Byte(raw, 17), variant);
    field.decimals = field.type == 'C' ? 0 : static_cast<std::uint8_t>(Byte(raw, 17));
    field.flags = static_cast<std::uint8_t>(Byte(raw, 18));
  }
  return field;
}

// Descriptors from the end of the fixed header up to the 0x0D terminator, which
// must lie before the header length and inside the file.
std::vector<DbfDescriptor> ReadDescriptors(std::string_view file, const DbfHeader& header,
                                           const std::string& fileName) {
  const std::size_t size = header.variant.dbase7 ? kDbase7DescriptorSize : 32;
  const bool fileEndsFirst = file.size() < header.header_length;
  const std::size_t limit = fileEndsFirst ? file.size() : header.header_length;
  std::vector<DbfDescriptor> fields;
  std::size_t at = header.variant.dbase7 ? kDbase7HeaderSize : kBaseHeaderSize;
  while (at >= limit || file[at] != kTerminator) {
    if (at + size > limit) {
      ThrowDamaged(fileName, fileEndsFirst ? "the field descriptors run past the end of the file"
                                           : "the field descriptors run past the header length");
    }
    fields.push_back(ReadDescriptor(file.substr(at, size), header.variant));
    at += size;
  }
  return fields;
}

void PlaceFields(DbfHeader& header, const std::string& fileName) {
  std::size_t offset = 1;
  for (DbfDescriptor& field : header.fields) {
    if (offset + field.width > header.record_length) {
      ThrowDamaged(fileName, "field '" + field.name + "' ends beyond the record length");
    }
    field.offset = static_cast<std::uint16_t>(offset);
    offset += field.width;
  }
}

}  // namespace

bool FindDbfVariant(std::uint8_t version, DbfVariant& variant) {
  switch (version) {
    case 0x03: variant = {"dBase III", nullptr, false, false}; return true;
    case 0x83: variant = {"dBase III", ".dbt", false, false}; return true;
    case 0x07: variant = {"Clipper", nullptr, false, false}; return true;
    case 0x7B: case 0x8E: variant = {"dBase IV", nullptr, false, false}; return true;
    case 0x8B: variant = {"dBase IV", ".dbt", false, false}; return true;
    case 0x04: variant = {"dBase 7", nullptr, true, false}; return true;
    case 0x8C: variant = {"dBase 7", ".dbt", true, false}; return true;
    case 0xF5: variant = {"FoxPro", ".fpt", false, false}; return true;
    case 0x30: case 0x31: variant = {"Visual FoxPro", ".fpt", false, true}; return true;
    default: return false;
  }
}

DbfHeader ReadDbfHeader(std::string_view file, const std::string& fileName1251) {
  if (file.size() < kBaseHeaderSize) ThrowDamaged(fileName1251, "the file is shorter than its header");
  DbfHeader header;
  header.version = static_cast<std::uint8_t>(Byte(file, 0));
  if (!FindDbfVariant(header.version, header.variant)) {
    throw Error(std::string(kOpenPrefix) + "File \"" + fileName1251 + "\" is not DBF file");
  }
  if (header.variant.dbase7 && file.size() < kDbase7HeaderSize) {
    ThrowDamaged(fileName1251, "the file is shorter than its header");
  }
  header.record_count = Word(file, 4) | static_cast<std::uint32_t>(Word(file, 6)) << 16;
  header.header_length = static_cast<std::uint16_t>(Word(file, 8));
  header.record_length = static_cast<std::uint16_t>(Word(file, 10));
  header.table_flags = static_cast<std::uint8_t>(Byte(file, 28));
  header.language_driver = static_cast<std::uint8_t>(Byte(file, 29));
  if (header.record_length == 0) ThrowDamaged(fileName1251, "the record length is 0");
  if (header.record_length > kDbfBlockSize) throw Error(std::string(kOpenPrefix) + "BufferSize too small!");
  header.fields = ReadDescriptors(file, header, fileName1251);
  // A file cut inside its header lost its records: it is no empty table.
  if (file.size() < header.header_length) ThrowDamaged(fileName1251, "the file ends before its header length");
  PlaceFields(header, fileName1251);
  return header;
}

}  // namespace ranta2kv
