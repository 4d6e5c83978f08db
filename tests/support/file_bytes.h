// The bytes of a file as the tests compare and make them: the whole file, or
// empty when it cannot be read; a file written with exactly the given bytes.
#pragma once

#include <filesystem>
#include <string>

namespace ranta2kv::test {

std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace ranta2kv::test
