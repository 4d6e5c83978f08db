// The scan path of LocateRecord made cheap: the equality of a record's listed
// fields with the searched values, as comparable bytes ("tuples"), and a table
// from the hash of a record's tuple to the first record in file order that has
// it, built once per opened table and field list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/variant.h"
#include "source/dbf/dbf_field_value.h"

namespace ranta2kv {

// Appends what the scan compares of a field: the text of text fields, the 32-bit
// integer, the 64-bit integer, the number (0 when null) or the boolean.
void AppendFieldTuple(const DbfFieldValue& value, std::string& tuple);
// Appends the same for a search value converted to the field's kind; false when
// no field value can equal it (an integer beyond 32 bits for an integer field).
// Conversion failures raise the variant conversion error.
bool AppendValueTuple(DbfValueKind kind, const Variant& value, char decimalSeparator, std::string& tuple);

class DbfScanLookup {
 public:
  explicit DbfScanLookup(std::vector<std::size_t> fields) : fields_(std::move(fields)) {}

  const std::vector<std::size_t>& Fields() const { return fields_; }  // positions in the field list

  // Building: every record's tuple, in file order, then Finish.
  void Reserve(std::size_t records) { entries_.reserve(records); }
  void Add(std::string_view tuple, std::uint32_t record);
  void Finish();

  // The first record in file order whose tuple has the same hash as tuple, or 0
  // when no record has that tuple. The caller checks the tuple of the answer.
  std::uint32_t Candidate(std::string_view tuple) const;

 private:
  std::vector<std::size_t> fields_;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> entries_;  // (hash, first record), by hash
};

}  // namespace ranta2kv
