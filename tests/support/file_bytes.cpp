// The bytes of a file as the tests compare them.
#include "tests/support/file_bytes.h"

#include <fstream>
#include <iterator>

namespace ranta2kv::test {

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace ranta2kv::test
