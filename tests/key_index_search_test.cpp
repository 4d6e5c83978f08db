// Tests that the key index's searches from a hint find what its binary searches
// find, for every bound, hint and sub-range of an index with runs of equal keys.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

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
