// A run host for the tests: records what a pass shows its caller (log lines,
// progress, busy indication, button rule) and can press Stop after a number of
// processed rows.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/run_host.h"

namespace ranta2kv::test {

class RecordingRunHost : public RunHost {
 public:
  explicit RecordingRunHost(std::filesystem::path folder, char decimalSeparator = '.')
      : RunHost(decimalSeparator), folder_(std::move(folder)) {}

  std::filesystem::path FolderPath() override { return folder_; }
  std::optional<std::filesystem::path> OutputFolder() override { return output_folder; }
  void AppendLog(const std::string& line1251) override { log.push_back(line1251); }
  void ClearLog() override { log.clear(); }
  void SetProgressMax(int maximum) override { progress_max = maximum; }
  void SetProgressPosition(int position) override { progress = position; }
  void StepProgress() override {
    ++progress;
    ++steps;
  }
  void ProcessPendingEvents() override;
  void SetBusyIndication(bool busy) override;
  void ApplyButtonRule() override { start_enabled = !Running(); stop_enabled = Running(); }

  void SetFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
  // The log as UTF-8 lines.
  std::vector<std::string> LogUtf8() const;

  std::optional<std::filesystem::path> output_folder;
  std::optional<int> stop_after_steps;  // Stop is pressed once this many rows were stepped
  std::vector<std::string> log;         // windows-1251
  int progress_max = 100, progress = 0, steps = 0, events = 0;
  int busy_changes = 0;
  bool busy = false;
  bool start_enabled = true, stop_enabled = false;

 private:
  std::filesystem::path folder_;
};

}  // namespace ranta2kv::test
