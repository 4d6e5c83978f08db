// The bytes of a file as the tests compare them: the whole file, or empty when
// it cannot be read.
#pragma once

#include <filesystem>
#include <string>

namespace ranta2kv::test {

std::string ReadFileBytes(const std::filesystem::path& file);

}  // namespace ranta2kv::test
