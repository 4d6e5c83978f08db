// The part of a window's run host that both windows share: the folder of a run
// is taken from the folder box when Start is pressed, and the pass reads that
// one even when the box is edited while it runs; a run ends with its result line
// (an object folder with its summary); a pass that fails returns the window to
// Ready.
#pragma once

#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "common/run_host.h"
#include "convert/conversion_pass.h"

namespace ranta2kv {

class CapturedFolderHost : public RunHost {
 public:
  using ConversionPass = ranta2kv::ConversionPass;

  using RunHost::RunHost;

  void BeginRun(std::filesystem::path folder) { folder_ = std::move(folder); }
  std::filesystem::path FolderPath() override { return folder_; }

  // A run as Start makes it: the log cleared, the folder captured, the pass run
  // and its result line logged, or, for an object folder, the pass run on each
  // estimate below it. A pass that fails leaves the window Ready (it would
  // otherwise keep the busy cursor and a dead Stop) and its failure is given
  // back for the error box; nothing when the run ended as it should (an object
  // run logs the failures of its estimates instead).
  std::exception_ptr Run(std::filesystem::path folder, const ConversionPass& pass);

  // After a failed pass: normal cursor, `Running` false, the bar at 0, the button rule.
  void ReturnToReady();

 private:
  std::filesystem::path folder_;  // the folder of the current run
};

}  // namespace ranta2kv
