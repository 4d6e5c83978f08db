// A small writer of .DBF files for tests: any version byte (dBase 7 versions get
// the 68-byte header and 48-byte descriptors), fields with type, width, decimals
// and flags, records from field texts or raw bytes, bytes after the records, and
// header values overridden to make damaged files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ranta2kv::test {

struct DbfFieldSpec {
  std::string name;
  char type = 'C';
  std::uint16_t width = 1;       // bytes in the record
  std::uint8_t decimals = 0;
  std::uint8_t flags = 0;        // Visual FoxPro descriptor flags (byte 18)
  std::optional<std::uint16_t> descriptor_width;  // what the descriptor says, when it differs
};

class DbfBuilder {
 public:
  explicit DbfBuilder(std::uint8_t version = 0x03);

  DbfBuilder& Field(std::string name, char type, std::uint16_t width, std::uint8_t decimals = 0,
                    std::uint8_t flags = 0);
  DbfBuilder& Field(DbfFieldSpec spec);

  // One text per field, blank-padded to the field's width: right-aligned for N
  // and F fields, left-aligned for the others. A text wider than its field throws.
  DbfBuilder& Record(const std::vector<std::string>& values, bool deleted = false);
  // A record as raw bytes, deletion flag included (any length).
  DbfBuilder& RawRecord(std::string bytes);
  // Bytes after the last record: "\x1A", a partial record, ...
  DbfBuilder& Tail(std::string bytes);

  // Header values, computed from the fields and records unless set.
  DbfBuilder& HeaderRecordCount(std::uint32_t count);
  DbfBuilder& HeaderLength(std::uint16_t length);
  DbfBuilder& RecordLength(std::uint16_t length);
  DbfBuilder& TableFlags(std::uint8_t flags);
  DbfBuilder& LanguageDriver(std::uint8_t code);
  // Bytes between the terminator and record 1 (Visual FoxPro keeps 263 there).
  DbfBuilder& HeaderPadding(std::size_t bytes);
  DbfBuilder& WithoutTerminator();

  std::uint16_t ComputedRecordLength() const;
  std::string Bytes() const;
  // Writes the file; returns its path.
  std::filesystem::path WriteTo(const std::filesystem::path& path) const;

 private:
  bool IsDbase7() const { return version_ == 0x04 || version_ == 0x8C; }
  std::string HeaderBytes() const;
  std::string DescriptorBytes(const DbfFieldSpec& field) const;

  std::uint8_t version_;
  std::vector<DbfFieldSpec> fields_;
  std::vector<std::string> records_;
  std::string tail_;
  std::optional<std::uint32_t> record_count_;
  std::optional<std::uint16_t> header_length_;
  std::optional<std::uint16_t> record_length_;
  std::uint8_t table_flags_ = 0;
  std::uint8_t language_driver_ = 0x65;
  std::size_t header_padding_ = 0;
  bool terminator_ = true;
};

}  // namespace ranta2kv::test
