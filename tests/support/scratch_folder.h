// A temporary folder for one test: created empty under the system's temporary
// directory, removed with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string_view>

namespace ranta2kv::test {

class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view prefix = "ranta2kv");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace ranta2kv::test
