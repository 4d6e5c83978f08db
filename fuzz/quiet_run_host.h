// The run host of the pass fuzzers: names the fuzzed estimate's folder and a
// separate output folder, counts log lines and otherwise shows nothing.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "common/run_host.h"

namespace ranta2kv::fuzz {

class QuietRunHost : public RunHost {
 public:
  QuietRunHost(std::filesystem::path folder, std::filesystem::path outputFolder);

  std::filesystem::path FolderPath() override { return folder_; }
  std::optional<std::filesystem::path> OutputFolder() override { return output_folder_; }
  void AppendLog(const std::string& line1251) override;
  void ClearLog() override { log_lines_ = 0; }
  void SetProgressMax(int) override {}
  void SetProgressPosition(int) override {}
  void StepProgress() override {}
  void ProcessPendingEvents() override {}
  void SetBusyIndication(bool) override {}
  void ApplyButtonRule() override {}

  int LogLines() const { return log_lines_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path output_folder_;
  int log_lines_ = 0;
};

}  // namespace ranta2kv::fuzz
