// Tuples and the hash table of the scan path. Two tuples are equal exactly when a
// record-by-record scan would take the record, so the table can answer what the
// first matching record in file order is without scanning.
#include "source/dbf/dbf_scan_lookup.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>

namespace ranta2kv {
namespace {

template <typename T>
void AppendRaw(T value, std::string& tuple) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  tuple.append(bytes, sizeof(T));
}

void AppendText(std::string_view text, std::string& tuple) {
  AppendRaw(static_cast<std::uint32_t>(text.size()), tuple);
  tuple.append(text);
}

void AppendNumber(double value, std::string& tuple) {
  AppendRaw(value == 0 ? 0.0 : value, tuple);  // -0 equals 0
}

bool IsTextKind(DbfValueKind kind) {
  return kind == DbfValueKind::Text || kind == DbfValueKind::Memo || kind == DbfValueKind::Other;
}

std::uint64_t HashOf(std::string_view tuple) { return std::hash<std::string_view>{}(tuple); }

}  // namespace

void AppendFieldTuple(const DbfFieldValue& value, std::string& tuple) {
  switch (value.Kind()) {
    case DbfValueKind::Integer: AppendRaw(value.AsInteger(), tuple); break;
    case DbfValueKind::LargeInteger: AppendRaw(value.AsLargeInteger(), tuple); break;
    case DbfValueKind::Float: AppendNumber(value.AsNumber(), tuple); break;
    case DbfValueKind::Date: AppendNumber(value.AsDateTime(), tuple); break;
    case DbfValueKind::Boolean: AppendRaw(static_cast<char>(value.AsLogical()), tuple); break;
    default: AppendText(value.Text(), tuple); break;
  }
}

bool AppendValueTuple(DbfValueKind kind, const Variant& value, char decimalSeparator, std::string& tuple) {
  if (IsTextKind(kind)) {
    AppendText(value.ToText(decimalSeparator), tuple);
    return true;
  }
  switch (kind) {
    case DbfValueKind::Integer: {
      std::int64_t integer = value.ToInteger();
      if (integer < std::numeric_limits<std::int32_t>::min() || integer > std::numeric_limits<std::int32_t>::max()) {
        return false;
      }
      AppendRaw(static_cast<std::int32_t>(integer), tuple);
      return true;
    }
    case DbfValueKind::LargeInteger: AppendRaw(value.ToInteger(), tuple); return true;
    case DbfValueKind::Boolean: {
      bool flag = value.type() == Variant::Type::Boolean ? value.BooleanValue() : value.ToFloat() != 0;
      AppendRaw(static_cast<char>(flag), tuple);
      return true;
    }
    default: AppendNumber(value.ToFloat(), tuple); return true;
  }
}

void DbfScanLookup::Add(std::string_view tuple, std::uint32_t record) {
  entries_.emplace_back(HashOf(tuple), record);
}

void DbfScanLookup::Finish() {
  std::sort(entries_.begin(), entries_.end());
  auto last = std::unique(entries_.begin(), entries_.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; });
  entries_.erase(last, entries_.end());
  entries_.shrink_to_fit();
}

std::uint32_t DbfScanLookup::Candidate(std::string_view tuple) const {
  std::uint64_t hash = HashOf(tuple);
  auto it = std::lower_bound(entries_.begin(), entries_.end(), std::make_pair(hash, std::uint32_t{0}));
  return it != entries_.end() && it->first == hash ? it->second : 0;
}

}  // namespace ranta2kv
