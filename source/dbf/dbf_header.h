// The header of a .DBF file as the reader takes it: version byte and its variant,
// header and record length, and the field descriptors with the widths the record
// gives them. Reading checks every bound once, so that the reader can rely on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv {

struct DbfVariant {
  const char* name;          // "dBase III", "Visual FoxPro", ...
  const char* memo_extension;  // ".dbt", ".fpt", or nullptr when there is no memo file
  bool dbase7;               // 68-byte header, 48-byte descriptors
  bool visual_foxpro;        // 4-byte memo fields, null flags
};

struct DbfDescriptor {
  std::string name;            // up to the first NUL, blanks trimmed, upper-cased
  char type = 0;               // type letter
  std::uint16_t width = 0;     // bytes in the record
  std::uint8_t decimals = 0;   // N and F fields; 0 for the others
  std::uint8_t flags = 0;      // Visual FoxPro descriptor flags
  std::uint16_t offset = 0;    // 1 + widths of the fields before
};

struct DbfHeader {
  std::uint8_t version = 0;
  DbfVariant variant{};
  std::uint32_t record_count = 0;    // bytes 4 to 7: the records the header counts
  std::uint8_t table_flags = 0;      // byte 28
  std::uint8_t language_driver = 0;  // byte 29
  std::uint16_t header_length = 0;   // offset of record 1
  std::uint16_t record_length = 0;   // at least 1 + the sum of the widths, at most 4096
  std::vector<DbfDescriptor> fields;
};

// The largest record the reader takes: one 4096-byte block must hold it.
inline constexpr std::uint16_t kDbfBlockSize = 4096;

// The variant of a version byte; false for a byte the reader does not know.
bool FindDbfVariant(std::uint8_t version, DbfVariant& variant);

// Reads and checks the header at the start of file. fileName1251 names the file
// in the messages of the errors it throws.
DbfHeader ReadDbfHeader(std::string_view file, const std::string& fileName1251);

}  // namespace ranta2kv
