// The names of our temporary files.
#include "platform/temporary_name.h"

#include <cstdio>
#include <string_view>

namespace ranta2kv {
namespace {

constexpr std::string_view kPrefix = ".ranta2kv-", kSuffix = ".tmp";
constexpr std::size_t kTagDigits = 16;

}  // namespace

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target, std::random_device& random) {
  char name[48];
  std::snprintf(name, sizeof name, ".ranta2kv-%08x%08x.tmp", static_cast<unsigned>(random()),
                static_cast<unsigned>(random()));
  std::filesystem::path folder = target.parent_path();
  return folder.empty() ? std::filesystem::path(name) : folder / name;
}

bool IsTemporaryName(const std::filesystem::path& name) {
  const auto& native = name.native();  // the name's own characters, narrow or wide
  if (native.size() != kPrefix.size() + kTagDigits + kSuffix.size()) return false;
  for (std::size_t n = 0; n < native.size(); ++n) {
    const auto c = native[n];
    if (n < kPrefix.size()) {
      if (c != kPrefix[n]) return false;
    } else if (n < kPrefix.size() + kTagDigits) {
      if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    } else if (c != kSuffix[n - kPrefix.size() - kTagDigits]) {
      return false;
    }
  }
  return true;
}

}  // namespace ranta2kv
