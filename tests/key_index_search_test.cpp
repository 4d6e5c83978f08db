// Tests that the key index's searches from a hint find what its binary searches
// find, for every bound, hint and sub-range of an index with runs of equal keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "source/dbf/key_index.h"

namespace ranta2kv {
namespace {

// An index on a 2-byte text key over records with keys "00" to "19", several of
// most of them, in a random file order.
KeyIndex RandomIndex(std::size_t records, unsigned seed) {
  KeyIndex index("CODE", KeyFormat{DbfValueKind::Text, 2, 0});
  std::mt19937 random(seed);
  index.Reserve(records);
  for (std::size_t i = 0; i < records; ++i) {
    const unsigned key = random() % 20;
    const char text[2] = {static_cast<char>('0' + key / 10), static_cast<char>('0' + key % 10)};
    std::memcpy(index.AppendKey(), text, 2);
  }
  index.Sort();
  return index;
}

TEST(KeyIndexSearchTest, SearchesFromAnyHintAgreeWithBinarySearches) {
  for (std::size_t records : {0u, 1u, 2u, 7u, 60u}) {
    const KeyIndex index = RandomIndex(records, static_cast<unsigned>(records));
    const std::size_t n = index.Size();
    for (const std::string bound : {"", "0", "00", "05", "1", "13", "19", "2", "99", "0\x01"}) {
      for (std::size_t first = 0; first <= n; ++first) {
        for (std::size_t last = first; last <= n; last += 3) {
          const std::size_t lower = index.LowerBound(bound, first, last);
          const std::size_t upper = index.UpperBound(bound, first, last);
          for (std::size_t hint = 0; hint <= n + 1; ++hint) {
            ASSERT_EQ(index.LowerBoundNear(bound, hint, first, last), lower)
                << "records " << records << " bound '" << bound << "' [" << first << ", " << last << ") hint " << hint;
            ASSERT_EQ(index.UpperBoundNear(bound, hint, first, last), upper)
                << "records " << records << " bound '" << bound << "' [" << first << ", " << last << ") hint " << hint;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace ranta2kv

namespace ranta2kv {
namespace {

// The order of an index against a plain sort of (key, record): keys of several
// lengths sharing leading bytes, with unsigned bytes, ties and NUL padding, in a
// random file order; and the position of every record.
TEST(KeyIndexOrderTest, SortsAsKeyThenRecordWhateverTheKeysShare) {
  std::mt19937 random(7);
  for (std::uint16_t length : {1, 3, 8, 9, 12, 20}) {
    for (std::size_t shared : {std::size_t{0}, std::size_t{length} / 2, std::size_t{length}}) {
      KeyIndex index("CODE", KeyFormat{DbfValueKind::Text, length, 0});
      std::vector<std::pair<std::string, std::uint32_t>> expected;
      for (std::uint32_t record = 1; record <= 300; ++record) {
        std::string key(length, ' ');
        for (std::size_t b = shared; b < length; ++b) {
          const unsigned pick = random() % 4;
          key[b] = pick == 0 ? '\0' : pick == 1 ? '\xE0' : static_cast<char>('0' + random() % 3);
        }
        std::memcpy(index.AppendKey(), key.data(), length);
        expected.emplace_back(key, record);
      }
      index.Sort();
      std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
        const int order = std::memcmp(a.first.data(), b.first.data(), a.first.size());
        return order != 0 ? order < 0 : a.second < b.second;
      });
      ASSERT_EQ(index.Size(), expected.size());
      for (std::size_t p = 0; p < expected.size(); ++p) {
        ASSERT_EQ(index.RecordAt(p), expected[p].second) << "length " << length << " shared " << shared << " at " << p;
        ASSERT_EQ(index.KeyAt(p), expected[p].first);
        ASSERT_EQ(index.PositionOf(expected[p].second), p);
      }
    }
  }
}

}  // namespace
}  // namespace ranta2kv
