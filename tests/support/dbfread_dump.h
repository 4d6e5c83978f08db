// DBF tables as the python dbfread module reads them (through dbfread_dump.py),
// so that tests can check written tables with a reader that is not the
// project's own: header values, field descriptors and every record's field texts.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv::test {

struct DumpedField {
  std::string name;
  char type = 'C';
  int length = 0;
  int decimals = 0;
};

struct DumpedRecord {
  bool deleted = false;
  std::vector<std::string> values;  // raw field texts, decoded from code page 866 to UTF-8
};

struct DumpedTable {
  int version = 0;
  int headerRecordCount = 0;
  int languageDriver = 0;
  int headerLength = 0;
  int recordLength = 0;
  int year = 0, month = 0, day = 0;  // date of last update as stored (year - 1900)
  std::vector<DumpedField> fields;
  std::vector<DumpedRecord> records;  // in file order, deleted ones included

  // Index of the named field; throws std::out_of_range when there is none.
  std::size_t FieldIndex(std::string_view name) const;
  const std::string& Value(const DumpedRecord& record, std::string_view field) const;
};

// Reads the tables with /usr/bin/python3 and dbfread, in the order given.
// nullopt when python3 or its dbfread module is missing; throws
// std::runtime_error when a table cannot be read.
std::optional<std::vector<DumpedTable>> DumpWithDbfread(const std::vector<std::filesystem::path>& tables);

}  // namespace ranta2kv::test
