// The names the output file tries for its temporary file.
#include "platform/temporary_name.h"

#include <cstdio>

namespace ranta2kv {

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target, std::random_device& random) {
  char name[48];
  std::snprintf(name, sizeof name, ".ranta2kv-%08x%08x.tmp", static_cast<unsigned>(random()),
                static_cast<unsigned>(random()));
  std::filesystem::path folder = target.parent_path();
  return folder.empty() ? std::filesystem::path(name) : folder / name;
}

}  // namespace ranta2kv
