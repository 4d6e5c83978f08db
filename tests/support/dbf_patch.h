// Edits of an existing dBase III table in place, for tests that take a generated
// estimate and change a few stored bytes: the field list from the header, and
// reading and overwriting one field of one record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ranta2kv::test {

class DbfPatch {
 public:
  struct Field {
    std::string name;
    char type = 0;
    std::size_t offset = 0;  // in the record, after the deletion flag
    std::size_t width = 0;
  };

  explicit DbfPatch(std::filesystem::path file);  // reads the file

  const std::vector<Field>& Fields() const { return fields_; }
  std::size_t RecordCount() const;
  // The stored bytes of a field in record n (1-based).
  std::string Get(std::size_t record, std::string_view field) const;
  // Overwrites the field in record n with bytes, padded with blanks or cut to
  // the field's width.
  void Set(std::size_t record, std::string_view field, std::string_view bytes);
  void Save() const;  // writes the file back

 private:
  const Field& FieldNamed(std::string_view name) const;
  std::size_t RecordStart(std::size_t record) const;

  std::filesystem::path file_;
  std::string bytes_;
  std::vector<Field> fields_;
  std::size_t header_length_ = 0;
  std::size_t record_length_ = 0;
};

}  // namespace ranta2kv::test
