// The key index of a DbfTable and the look-ups on it: BuildKeyIndex, LocateRecord
// by the index or by the scan path, and LimitToKey. The scan path gives the first
// matching record in file order, but answers from a hash table built once per
// opened table and field list, or looks only at the records of the range.
#include <limits>
#include <optional>

#include "common/error.h"
#include "common/text.h"
#include "source/dbf/dbf_table_impl.h"

namespace ranta2kv {
namespace {

std::vector<std::string_view> SplitFieldList(std::string_view fieldList) {
  std::vector<std::string_view> names;
  for (std::size_t start = 0;;) {
    std::size_t end = fieldList.find(';', start);
    names.push_back(TrimSpaces(fieldList.substr(start, end - start)));
    if (end == std::string_view::npos) return names;
    start = end + 1;
  }
}

bool IsMissing(const Variant& value) { return value.IsEmpty() || value.IsNull(); }

}  // namespace

void DbfTable::DiscardKeyIndex() {
  impl_->index.reset();
  impl_->range = KeyRange{};
}

void DbfTable::BuildKeyIndex(std::string_view fieldName) {
  DiscardKeyIndex();
  Open();
  try {
    const DbfField& field = FieldNamed(fieldName);
    if (impl_->record_count > std::numeric_limits<std::uint32_t>::max()) {
      throw Error(name_ + ": Too many records for a key index");
    }
    auto index = std::make_unique<KeyIndex>(field.Name(), KeyFormat{field.Kind(), field.Width(), field.Decimals()});
    index->Reserve(static_cast<std::size_t>(impl_->record_count));
    DbfRecordBlock records = impl_->FileOrderBlock();
    for (std::int64_t n = 1; n <= impl_->record_count; ++n) {
      WriteRecordKey(index->Format(), field.ValueIn(records.Record(n)), index->AppendKey());
    }
    impl_->touched += static_cast<std::uint64_t>(impl_->record_count);
    impl_->file.CheckUnchanged();  // the keys come from one version of the file
    index->Sort();
    impl_->index_stamp = impl_->file.Stamp();
    Close();
    impl_->index = std::move(index);
  } catch (...) {
    Close();
    throw;
  }
}

bool DbfTable::LocateRecord(std::string_view fieldList, const Variant& value) {
  RequireOpen();
  // A look-up of one field by its key index needs no list of values.
  if (const std::vector<std::size_t>& fields = ListedFields(fieldList); IsIndexKey(fields)) {
    return LocateInIndex(value);
  }
  return LocateRecord(fieldList, std::vector<Variant>{value});
}

bool DbfTable::LocateRecord(std::string_view fieldList, const std::vector<Variant>& values) {
  RequireOpen();
  const std::vector<std::size_t>& fields = ListedFields(fieldList);
  if (fields.size() != values.size()) {
    throw Error(name_ + ": " + std::to_string(values.size()) + " values given for " + std::to_string(fields.size()) +
                " fields");
  }
  if (IsIndexKey(fields)) return LocateInIndex(values.front());
  return LocateByScan(fields, values);
}

void DbfTable::LimitToKey(std::string_view fieldList, const Variant& value) {
  SetKeyRange(fieldList, value);
  First();
}

void DbfTable::RecordsUnderKey(std::string_view fieldList, const Variant& value, std::vector<std::int64_t>& records) {
  SetKeyRange(fieldList, value);
  records.clear();
  const auto [first, last] = IndexSpan();
  for (std::size_t p = first; p < last; ++p) {
    const std::uint32_t record = impl_->index->RecordAt(p);
    if (record <= impl_->record_count) records.push_back(record);  // entries of a longer file are passed over
  }
}

void DbfTable::SetKeyRange(std::string_view fieldList, const Variant& value) {
  RequireOpen();
  const KeyIndex* index = impl_->index.get();
  if (!index || fieldList.find(';') != std::string_view::npos ||
      !SameFieldName(TrimSpaces(fieldList), index->KeyExpression())) {
    throw Error("TQXSmartDBF: There is no suitable index for range!");
  }
  std::string key = SearchKey(index->Format(), value, decimal_separator_);
  while (!key.empty() && static_cast<unsigned char>(key.back()) <= 32) key.pop_back();
  KeyRange& range = impl_->range;
  const std::size_t near = range.last;  // ranges asked in key order follow each other
  range = KeyRange{true, key, key, 0, 0};
  std::string_view low = std::string_view(range.low).substr(0, index->KeyLength());
  std::string_view high = std::string_view(range.high).substr(0, index->KeyLength());
  if (!low.empty()) {
    range.first = index->LowerBoundNear(low, near, 0, index->Size());
    range.last = std::max(range.first, index->UpperBoundNear(high, range.first, range.first, index->Size()));
  }
}

// The positions of the listed fields, worked out once per list while the table
// is open (a pass looks up with the same few lists again and again).
const std::vector<std::size_t>& DbfTable::ListedFields(std::string_view fieldList) {
  for (const auto& [list, fields] : impl_->listed_fields) {
    if (list == fieldList) return fields;
  }
  std::vector<std::size_t> fields;
  for (std::string_view name : SplitFieldList(fieldList)) {
    fields.push_back(static_cast<std::size_t>(&FieldNamed(name) - impl_->fields.data()));
  }
  return impl_->listed_fields.emplace_back(std::string(fieldList), std::move(fields)).second;
}

bool DbfTable::IsIndexKey(const std::vector<std::size_t>& fields) const {
  return impl_->index && fields.size() == 1 &&
         SameFieldName(impl_->fields[fields.front()].Name(), impl_->index->KeyExpression());
}

// The first entry in key order whose key begins with the value's key, within the
// range when one is set. An empty text key finds nothing.
bool DbfTable::LocateInIndex(const Variant& value) {
  const KeyIndex& index = *impl_->index;
  std::string key = SearchKey(index.Format(), value, decimal_separator_);
  if (key.empty()) return false;
  auto [first, last] = IndexSpan();
  std::size_t from = index.LowerBoundNear(key, impl_->position, first, last);  // near the current record
  std::size_t to = index.UpperBoundNear(key, from, from, last);
  for (std::size_t p = from; p < to; ++p) {
    if (index.RecordAt(p) <= impl_->record_count) {
      MoveTo(index.RecordAt(p), p);
      return true;
    }
  }
  return false;
}

bool DbfTable::LocateByScan(const std::vector<std::size_t>& fields, const std::vector<Variant>& values) {
  for (const Variant& value : values) {
    if (IsMissing(value)) return false;
  }
  std::string wanted;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (!AppendValueTuple(impl_->fields[fields[i]].Kind(), values[i], decimal_separator_, wanted)) return false;
  }
  if (std::optional<std::string> key = IntegerScanKey(fields, values.front())) {
    std::optional<std::size_t> position = FirstUnderKey(*key, fields, wanted);
    if (position) MoveTo(impl_->index->RecordAt(*position), *position);
    return position.has_value();
  }
  const bool inRange = impl_->index && impl_->range.active;
  std::int64_t found = inRange ? FirstInRange(fields, wanted) : FirstInFile(fields, wanted);
  if (found == 0) return false;
  MoveTo(found, impl_->index ? Impl::kPositionUnknown : 0);
  return true;
}

// When the first listed field is the integer key of the index, no range is set
// and the value is not 0 (which a blank field also equals), every matching record
// has the value's key: the scan then needs to look only at the entries of that
// key, which list their records in file order. Gives that key, or nothing when
// the path does not apply.
std::optional<std::string> DbfTable::IntegerScanKey(const std::vector<std::size_t>& fields, const Variant& value) {
  const KeyIndex* index = impl_->index.get();
  if (!index || impl_->range.active || !SameFieldName(impl_->fields[fields.front()].Name(), index->KeyExpression())) {
    return std::nullopt;
  }
  const DbfValueKind kind = index->Format().kind;
  if (kind != DbfValueKind::Integer && kind != DbfValueKind::LargeInteger) return std::nullopt;
  const std::int64_t integer = value.ToInteger();
  if (integer == 0) return std::nullopt;
  return NumericKey(integer, index->KeyLength());
}

// The first entry under key whose record's listed fields give the wanted tuple.
// The key's entries are searched for from the current position, where the last
// look-up left off when look-ups come in key order.
std::optional<std::size_t> DbfTable::FirstUnderKey(const std::string& key, const std::vector<std::size_t>& fields,
                                                   const std::string& wanted) {
  const KeyIndex& index = *impl_->index;
  std::string tuple;
  for (std::size_t p = index.LowerBoundNear(key, impl_->position, 0, index.Size());
       p < index.Size() && index.KeyAt(p) == key; ++p) {
    const std::uint32_t record = index.RecordAt(p);
    if (record > impl_->record_count) continue;
    RecordTuple(record, fields, tuple);
    if (tuple == wanted) return p;
  }
  return std::nullopt;
}

// The range's records are visited in key order; the answer is the lowest record
// number among those that match.
std::int64_t DbfTable::FirstInRange(const std::vector<std::size_t>& fields, const std::string& wanted) {
  const KeyIndex& index = *impl_->index;
  std::int64_t best = 0;
  std::string tuple;
  for (std::size_t p = impl_->range.first; p < impl_->range.last; ++p) {
    std::int64_t record = index.RecordAt(p);
    if (record > impl_->record_count || (best != 0 && record >= best)) continue;
    RecordTuple(record, fields, tuple);
    if (tuple == wanted) best = record;
  }
  return best;
}

std::int64_t DbfTable::FirstInFile(const std::vector<std::size_t>& fields, const std::string& wanted) {
  std::string tuple;
  const DbfScanLookup* lookup = nullptr;
  for (const DbfScanLookup& built : impl_->lookups) {
    if (built.Fields() == fields) lookup = &built;
  }
  if (!lookup && impl_->record_count <= std::numeric_limits<std::uint32_t>::max()) {
    DbfScanLookup built(fields);
    built.Reserve(static_cast<std::size_t>(impl_->record_count));
    DbfRecordBlock records = impl_->FileOrderBlock();
    for (std::int64_t n = 1; n <= impl_->record_count; ++n) {
      TupleOf(records.Record(n), fields, tuple);
      built.Add(tuple, static_cast<std::uint32_t>(n));
    }
    impl_->touched += static_cast<std::uint64_t>(impl_->record_count);
    built.Finish();
    impl_->lookups.push_back(std::move(built));
    lookup = &impl_->lookups.back();
  }
  if (lookup) {
    std::uint32_t candidate = lookup->Candidate(wanted);
    if (candidate == 0) return 0;
    RecordTuple(candidate, fields, tuple);
    if (tuple == wanted) return candidate;
  }
  for (std::int64_t n = 1; n <= impl_->record_count; ++n) {  // two tuples of one hash
    RecordTuple(n, fields, tuple);
    if (tuple == wanted) return n;
  }
  return 0;
}

void DbfTable::RecordTuple(std::int64_t recordNumber, const std::vector<std::size_t>& fields, std::string& tuple) {
  TupleOf(impl_->Record(recordNumber), fields, tuple);
}

void DbfTable::TupleOf(const char* record, const std::vector<std::size_t>& fields, std::string& tuple) const {
  tuple.clear();
  for (std::size_t field : fields) AppendFieldTuple(impl_->fields[field].ValueIn(record), tuple);
}

}  // namespace ranta2kv
