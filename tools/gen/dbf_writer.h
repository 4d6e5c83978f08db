// A small writer of dBase III tables (version byte 0x03) for the generator:
// fixed field list, blank-filled records set field by field, buffered output,
// header record count and the trailing 0x1A written by Finish. Writes only;
// the converter's reader lives in source/ and is never used here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv::gen {

struct DbfFieldSpec {
  std::string_view name;   // up to 10 characters
  char type;               // 'C', 'N' or 'D'
  std::uint16_t width;     // bytes in the record; C fields may be wider than 255
  std::uint8_t decimals;   // N fields only
};

struct DbfDate {
  int year;   // 1900..2155 for the header's date of last update
  int month;  // 1..12
  int day;    // 1..31
};

class DbfWriter {
 public:
  // Creates (or replaces) the file and writes its header. languageDriver is
  // header byte 29 (0x65: code page 866).
  DbfWriter(const std::filesystem::path& file, std::span<const DbfFieldSpec> fields,
            DbfDate lastUpdate, std::uint8_t languageDriver);
  ~DbfWriter();
  DbfWriter(const DbfWriter&) = delete;
  DbfWriter& operator=(const DbfWriter&) = delete;

  // Setters of the current record; every field starts blank.
  void SetText(std::size_t field, std::string_view bytes);  // cut at the width
  void SetInteger(std::size_t field, std::int64_t value);   // N: the value itself
  void SetFixed(std::size_t field, std::int64_t scaled);    // N: scaled / 10^decimals
  void SetDate(std::size_t field, DbfDate date);            // D: YYYYMMDD
  void SetRaw(std::size_t field, std::string_view bytes);   // any bytes, left-aligned
  void MarkDeleted();                                       // deletion flag "*"
  // Appends the current record and starts a fresh blank one.
  void EndRecord();
  // Writes the end-of-file byte and the record count, and closes the file. A
  // writer destroyed without Finish leaves an incomplete file (count 0, no 0x1A).
  void Finish();

  std::uint32_t RecordCount() const { return recordCount_; }

 private:
  struct Field {
    std::size_t offset;  // in the record, after the deletion flag
    std::size_t width;
    int decimals;
    char type;
    std::string_view name;
  };

  void WriteHeader(std::span<const DbfFieldSpec> fields, DbfDate lastUpdate,
                   std::uint8_t languageDriver);
  void PutRightAligned(std::size_t field, std::string_view digits);
  void Flush();
  void WriteBytes(const char* data, std::size_t size);
  [[noreturn]] void Fail(std::string_view what) const;

  std::filesystem::path path_;
  std::ofstream file_;
  std::vector<Field> fields_;
  std::string record_;       // the current record, deletion flag first
  std::string buffer_;       // records not yet written to the file
  std::uint32_t recordCount_ = 0;
};

}  // namespace ranta2kv::gen
