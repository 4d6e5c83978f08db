// The key index of one column of a DBF virtual table: entries sorted by key and
// record, found by binary search.
#include "source/sql/column_key_index.h"

#include <sqlite3.h>

#include <algorithm>

namespace ranta2kv {
namespace {

std::uint64_t KeyOf(const ColumnKeyIndex::Entry& entry) {
  return (static_cast<std::uint64_t>(entry.key_high) << 32) | entry.key_low;
}

// By key only: the entries come in record order, and a stable sort keeps it
// among the entries of one key.
struct KeyBefore {
  bool operator()(const ColumnKeyIndex::Entry& a, const ColumnKeyIndex::Entry& b) const {
    return KeyOf(a) < KeyOf(b);
  }
};

}  // namespace

std::uint64_t TextKey(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::optional<ColumnKeyIndex::Keys> ColumnKeyIndex::KeysOf(DbfValueKind kind) {
  switch (kind) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger:
    case DbfValueKind::Boolean: return Keys::Integer;
    case DbfValueKind::Text:
    case DbfValueKind::Date: return Keys::Text;
    default: return std::nullopt;
  }
}

void ColumnKeyIndex::Add(const SqlValue& value, std::uint32_t record) {
  if (value.type == SqlType::Integer && keys_ == Keys::Integer) {
    Add(static_cast<std::uint64_t>(value.integer), record);
  } else if (value.type == SqlType::Text && keys_ == Keys::Text) {
    Add(TextKey(value.text), record);
  }
}

void ColumnKeyIndex::Add(std::uint64_t key, std::uint32_t record) {
  entries_.push_back({static_cast<std::uint32_t>(key), static_cast<std::uint32_t>(key >> 32), record});
}

void ColumnKeyIndex::Sort() {
  // A column filled in key order (codes numbered as the rows were written) is
  // sorted already.
  if (!std::is_sorted(entries_.begin(), entries_.end(), KeyBefore())) {
    std::stable_sort(entries_.begin(), entries_.end(), KeyBefore());
  }
  entries_.shrink_to_fit();
  distinct_ = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (i == 0 || KeyOf(entries_[i]) != KeyOf(entries_[i - 1])) ++distinct_;
  }
}

std::span<const ColumnKeyIndex::Entry> ColumnKeyIndex::Find(std::uint64_t key) const {
  auto first = std::lower_bound(entries_.begin(), entries_.end(), key,
                                [](const Entry& entry, std::uint64_t k) { return KeyOf(entry) < k; });
  // The entries of a key are walked anyway: their end is found by walking them.
  auto last = first;
  while (last != entries_.end() && KeyOf(*last) == key) ++last;
  return {first, last};
}

std::optional<std::span<const ColumnKeyIndex::Entry>> ColumnKeyIndex::Candidates(sqlite3_value* value) const {
  const int type = sqlite3_value_type(value);
  if (keys_ == Keys::Integer && type == SQLITE_INTEGER) {
    return Find(static_cast<std::uint64_t>(sqlite3_value_int64(value)));
  }
  if (keys_ == Keys::Text && type == SQLITE_TEXT) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return Find(TextKey(std::string_view(bytes, static_cast<std::size_t>(sqlite3_value_bytes(value)))));
  }
  return std::nullopt;
}

double ColumnKeyIndex::RowsPerKey() const {
  return distinct_ == 0 ? 1.0 : static_cast<double>(entries_.size()) / static_cast<double>(distinct_);
}

}  // namespace ranta2kv
