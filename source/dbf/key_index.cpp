// The key index's order and its searches. Keys compare as unsigned bytes over the
// key length; a key whose text ends at a NUL is NUL-padded, so a plain byte
// comparison stops there as a comparison of NUL-terminated texts would.
#include "source/dbf/key_index.h"

#include <algorithm>
#include <cstring>

namespace ranta2kv {
namespace {

// Compares the first bound.size() bytes of key (at most its length) with bound.
int ComparePrefix(std::string_view key, std::string_view bound) {
  std::size_t n = std::min(key.size(), bound.size());
  return n == 0 ? 0 : std::memcmp(key.data(), bound.data(), n);
}

// The first position in [first, last) at which below turns false (it holds for
// every position before that one and for none after), found by steps that double
// away from hint and a binary search in the last step.
template <typename Below>
std::size_t PartitionNear(Below below, std::size_t hint, std::size_t first, std::size_t last) {
  hint = std::clamp(hint, first, last);
  std::size_t lo = first, hi = last;  // the answer lies in [lo, hi]
  if (hint < last && below(hint)) {
    lo = hint + 1;
    for (std::size_t step = 1; lo < last; step *= 2) {
      const std::size_t probe = std::min(last - 1, lo + step - 1);
      if (!below(probe)) {
        hi = probe;
        break;
      }
      lo = probe + 1;
    }
  } else {
    hi = hint;
    for (std::size_t step = 1; hi > first; step *= 2) {
      const std::size_t probe = hi - std::min(step, hi - first);
      if (below(probe)) {
        lo = probe + 1;
        break;
      }
      hi = probe;
    }
    lo = std::min(lo, hi);
  }
  while (lo < hi) {
    const std::size_t middle = lo + (hi - lo) / 2;
    if (below(middle)) {
      lo = middle + 1;
    } else {
      hi = middle;
    }
  }
  return lo;
}

}  // namespace

KeyIndex::KeyIndex(std::string keyExpression, KeyFormat format)
    : key_expression_(std::move(keyExpression)), format_(format) {}

void KeyIndex::Reserve(std::size_t records) {
  keys_.reserve(records * format_.length);
  order_.reserve(records);
}

char* KeyIndex::AppendKey() {
  std::size_t at = keys_.size();
  keys_.resize(at + format_.length);
  order_.push_back(static_cast<std::uint32_t>(order_.size() + 1));
  return keys_.data() + at;
}

void KeyIndex::Sort() {
  positions_.clear();
  in_record_order_ = true;
  const std::size_t length = format_.length;
  if (length == 0) return;  // all keys equal: record order
  const char* keys = keys_.data();
  // Until now record n's key is at (n - 1) * length and order_ counts 1, 2, ...
  // Tables are often written in key order already; one pass tells.
  bool sorted = true;
  for (std::size_t i = 1; i < order_.size() && sorted; ++i) {
    sorted = std::memcmp(keys + (i - 1) * length, keys + i * length, length) <= 0;
  }
  if (sorted) return;
  in_record_order_ = false;
  // Otherwise the records are sorted by eight bytes of their keys read as one
  // big-endian number, beside the record number: most comparisons are then of two
  // integers in one array instead of two keys fetched from all over the buffer.
  // The eight bytes follow the bytes that all keys share (the blanks before a
  // right-aligned number, say), which would tell no key from another.
  std::size_t shared = length;
  for (std::size_t i = 1; i < order_.size() && shared > 0; ++i) {
    const char* a = keys;
    const char* b = keys + i * length;
    std::size_t same = 0;
    while (same < shared && a[same] == b[same]) ++same;
    shared = same;
  }
  const std::size_t head = std::min<std::size_t>(length, shared + 8);
  struct Entry {
    std::uint64_t prefix;
    std::uint32_t record;
  };
  std::vector<Entry> entries(order_.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const unsigned char* key = reinterpret_cast<const unsigned char*>(keys + i * length);
    std::uint64_t prefix = 0;
    for (std::size_t b = shared; b < shared + 8; ++b) prefix = prefix << 8 | (b < head ? key[b] : 0);
    entries[i] = {prefix, static_cast<std::uint32_t>(i + 1)};
  }
  std::sort(entries.begin(), entries.end(), [keys, length, head](const Entry& a, const Entry& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    if (length > head) {
      const int order = std::memcmp(keys + (a.record - 1) * length + head, keys + (b.record - 1) * length + head,
                                    length - head);
      if (order != 0) return order < 0;
    }
    return a.record < b.record;
  });
  std::vector<char> inKeyOrder(keys_.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    order_[i] = entries[i].record;
    std::memcpy(inKeyOrder.data() + i * length, keys + (entries[i].record - 1) * length, length);
  }
  keys_.swap(inKeyOrder);
}

std::size_t KeyIndex::LowerBound(std::string_view bound, std::size_t first, std::size_t last) const {
  while (first < last) {
    const std::size_t middle = first + (last - first) / 2;
    if (ComparePrefix(KeyAt(middle), bound) < 0) first = middle + 1;
    else last = middle;
  }
  return first;
}

std::size_t KeyIndex::UpperBound(std::string_view bound, std::size_t first, std::size_t last) const {
  while (first < last) {
    const std::size_t middle = first + (last - first) / 2;
    if (ComparePrefix(KeyAt(middle), bound) <= 0) first = middle + 1;
    else last = middle;
  }
  return first;
}

std::size_t KeyIndex::LowerBoundNear(std::string_view bound, std::size_t hint, std::size_t first,
                                     std::size_t last) const {
  return PartitionNear([&](std::size_t p) { return ComparePrefix(KeyAt(p), bound) < 0; }, hint, first, last);
}

std::size_t KeyIndex::UpperBoundNear(std::string_view bound, std::size_t hint, std::size_t first,
                                     std::size_t last) const {
  return PartitionNear([&](std::size_t p) { return ComparePrefix(KeyAt(p), bound) <= 0; }, hint, first, last);
}

std::size_t KeyIndex::PositionOf(std::uint32_t record) const {
  if (positions_.size() != order_.size()) {
    positions_.assign(order_.size(), 0);
    for (std::size_t p = 0; p < order_.size(); ++p) positions_[order_[p] - 1] = static_cast<std::uint32_t>(p);
  }
  return record >= 1 && record <= positions_.size() ? positions_[record - 1] : order_.size();
}

}  // namespace ranta2kv
