// Temporary folders of the tests, each under a fresh random name created with
// create_directory (which fails when the name exists), so that tests running at
// the same time never share one.
#include "tests/support/scratch_folder.h"

#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace ranta2kv::test {

ScratchFolder::ScratchFolder(std::string_view prefix) {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "_%08x", static_cast<unsigned>(random()));
    std::filesystem::path candidate = base / (std::string(prefix) + suffix);
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
    if (error) throw std::runtime_error("cannot create a temporary folder in " + base.string() + ": " + error.message());
  }
  throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace ranta2kv::test
