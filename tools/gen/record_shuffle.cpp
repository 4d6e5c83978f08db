// The record shuffle: reads the whole table, permutes its records with a
// Fisher-Yates shuffle drawn from the random source and writes it back.
#include "tools/gen/record_shuffle.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"

namespace ranta2kv::gen {
namespace {

std::size_t Little16(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

std::size_t Little32(const std::string& bytes, std::size_t at) {
  return Little16(bytes, at) | Little16(bytes, at + 2) << 16;
}

}  // namespace

void ShuffleRecords(const std::filesystem::path& file, RandomSource& random) {
  std::string bytes;
  {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) throw Error("cannot read " + file.string());
  }
  if (bytes.size() < 32) throw Error("not a table: " + file.string());
  const std::size_t count = Little32(bytes, 4), header = Little16(bytes, 8), width = Little16(bytes, 10);
  if (width == 0 || header + count * width > bytes.size()) throw Error("not a table: " + file.string());
  std::vector<std::uint32_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::uint32_t>(i);
  for (std::size_t i = count; i > 1; --i) {
    std::swap(order[i - 1], order[static_cast<std::size_t>(random.Between(0, static_cast<std::int64_t>(i) - 1))]);
  }
  std::string records(count * width, '\0');
  for (std::size_t i = 0; i < count; ++i) {
    records.replace(i * width, width, bytes, header + order[i] * width, width);
  }
  bytes.replace(header, records.size(), records);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw Error("cannot write " + file.string());
}

}  // namespace ranta2kv::gen
