// The generator's source of pseudo-random numbers: SplitMix64, fully defined
// here so that the same seed gives the same estimate on every machine and
// standard library (the <random> distributions are not portable).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace ranta2kv::gen {

class RandomSource {
 public:
  // stream separates independent sequences drawn from one seed.
  explicit RandomSource(std::uint64_t seed, std::uint64_t stream = 0)
      : state_(seed ^ (stream * 0xD1B54A32D192ED03ULL)) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [low, high]; the tiny modulo bias does not matter here.
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }

  // True with the given chance in percent.
  bool Percent(int chance) { return static_cast<int>(Next() % 100) < chance; }

  template <typename Container>
  const auto& Pick(const Container& items) {
    return items[static_cast<std::size_t>(Next() % std::size(items))];
  }

 private:
  std::uint64_t state_;
};

}  // namespace ranta2kv::gen
