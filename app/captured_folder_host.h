// The part of a window's run host that both windows share: the folder of a run
// is taken from the folder box when Start is pressed, and the pass reads that
// one even when the box is edited while it runs.
#pragma once

#include <filesystem>
#include <utility>

#include "common/run_host.h"

namespace ranta2kv {

class CapturedFolderHost : public RunHost {
 public:
  using RunHost::RunHost;

  void BeginRun(std::filesystem::path folder) { folder_ = std::move(folder); }
  std::filesystem::path FolderPath() override { return folder_; }

 private:
  std::filesystem::path folder_;  // the folder of the current run
};

}  // namespace ranta2kv
