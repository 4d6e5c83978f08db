// ranta2kv-cli convert: runs a conversion pass on each folder through a run host
// of its own. The log goes to stdout as UTF-8 lines, a progress bar to stderr when
// it is a console; Ctrl-C acts as Stop, a second Ctrl-C aborts.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "common/codepage.h"
#include "common/error.h"
#include "convert/conversion_pass.h"
#include "platform/console.h"
#include "platform/file_name.h"

namespace ranta2kv::cli {
namespace {

struct Options {
  bool oledb = true;
  std::optional<std::filesystem::path> out;
  int jobs = 1;
  char decimal_separator = '.';
  std::vector<std::filesystem::path> folders;
};

// Output shared by the runs: whole lines, one writer at a time.
class Console {
 public:
  void WriteLines(const std::vector<std::string>& lines, StandardStream stream) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& line : lines) WriteText(stream, line + "\n");
    FlushStream(stream);
  }

 private:
  std::mutex mutex_;
};

// The output files of the folders of one run. With --out several folders may
// name the same file: the first to finish keeps it, and a later one fails
// rather than replacing it.
class OutputClaims {
 public:
  // Nothing when folder now owns target, else the folder that owned it before.
  std::optional<std::filesystem::path> Claim(const std::filesystem::path& target,
                                             const std::filesystem::path& folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto [owner, claimed] = owners_.emplace(target, folder);
    if (claimed) return std::nullopt;
    return owner->second;
  }

 private:
  std::mutex mutex_;
  std::map<std::filesystem::path, std::filesystem::path> owners_;
};

class CliRunHost : public RunHost {
 public:
  CliRunHost(const Options& options, std::optional<std::filesystem::path> outputFolder,
             std::filesystem::path folder, std::string prefix, bool streamLog, bool showProgress,
             Console& console)
      : RunHost(options.decimal_separator),
        output_folder_(std::move(outputFolder)),
        folder_(std::move(folder)),
        prefix_(std::move(prefix)),
        stream_log_(streamLog),
        show_progress_(showProgress),
        console_(console) {}

  std::filesystem::path FolderPath() override { return folder_; }
  std::optional<std::filesystem::path> OutputFolder() override { return output_folder_; }

  void AppendLog(const std::string& line1251) override {
    std::string line = prefix_ + Cp1251ToUtf8(line1251);
    if (stream_log_) {
      ClearProgress();
      console_.WriteLines({line}, StandardStream::Output);
    } else {
      log_.push_back(std::move(line));
    }
  }
  void ClearLog() override {}
  void SetProgressMax(int maximum) override { maximum_ = std::max(maximum, 0); }
  void SetProgressPosition(int position) override {
    position_ = position;
    DrawProgress();
  }
  void StepProgress() override {
    ++position_;
    DrawProgress();
  }
  void ProcessPendingEvents() override {
    if (StopRequests() > 0) SetRunning(false);
  }
  void SetBusyIndication(bool) override {}
  void ApplyButtonRule() override {}

  void Flush() {
    ClearProgress();
    console_.WriteLines(log_, StandardStream::Output);
    log_.clear();
  }

 private:
  void DrawProgress() {
    if (!show_progress_ || maximum_ <= 0) return;
    int percent = static_cast<int>(100.0 * std::clamp(position_, 0, maximum_) / maximum_);
    if (percent == drawn_percent_) return;
    drawn_percent_ = percent;
    std::string bar(percent / 4, '#');
    bar.resize(25, ' ');
    char text[48];
    std::snprintf(text, sizeof text, "\r[%s] %3d%%", bar.c_str(), percent);
    WriteText(StandardStream::Error, text);
    FlushStream(StandardStream::Error);
    bar_visible_ = true;
  }
  void ClearProgress() {
    if (!bar_visible_) return;
    // Blanks over the bar rather than an escape sequence, which not every console reads.
    WriteText(StandardStream::Error, "\r" + std::string(kProgressWidth, ' ') + "\r");
    FlushStream(StandardStream::Error);
    bar_visible_ = false;
    drawn_percent_ = -1;
  }

  static constexpr std::size_t kProgressWidth = 32;  // "[" 25 "] " "100%"

  std::optional<std::filesystem::path> output_folder_;  // --out, or a folder's staging folder in it
  std::filesystem::path folder_;
  std::string prefix_;   // "FOLDER: " when several folders are converted
  bool stream_log_;      // print lines at once rather than when the folder is done
  bool show_progress_;
  Console& console_;
  std::vector<std::string> log_;
  int maximum_ = 100, position_ = 0, drawn_percent_ = -1;
  bool bar_visible_ = false;
};

enum Status { kWritten = 0, kSetupFailed = 1, kFailed = 2 };

bool ParseOptions(const std::vector<std::string>& args, Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (arg == "--source") {
      if (!value(v) || (v != "oledb" && v != "dbf")) return false;
      options.oledb = v == "oledb";
    } else if (arg == "--out") {
      if (!value(v)) return false;
      options.out = PathFromUtf8(v);
    } else if (arg == "-j" || arg == "--jobs") {
      if (!value(v)) return false;
      options.jobs = std::atoi(v.c_str());
      if (options.jobs < 1) return false;
    } else if (arg.rfind("-j", 0) == 0 && arg.size() > 2) {
      options.jobs = std::atoi(arg.c_str() + 2);
      if (options.jobs < 1) return false;
    } else if (!arg.empty() && arg[0] == '-') {
      return false;
    } else {
      options.folders.push_back(PathFromUtf8(arg));
    }
  }
  return !options.folders.empty();
}

// Where a folder's pass writes: its own folder, --out, or, when several folders
// share --out, a staging folder of its own inside it (on the same file system,
// so that the file moves into --out with one rename once its name is claimed).
struct OutputPlace {
  std::optional<std::filesystem::path> folder;   // given to the pass
  std::optional<std::filesystem::path> staging;  // set when folder is a staging folder
};

OutputPlace PlaceOutput(const Options& options, std::size_t index, unsigned runTag) {
  if (!options.out || options.folders.size() < 2) return {options.out, std::nullopt};
  std::filesystem::path staging =
      *options.out / (".ranta2kv-" + std::to_string(runTag) + "-" + std::to_string(index));
  std::error_code error;
  if (!std::filesystem::create_directory(staging, error)) return {options.out, std::nullopt};  // the pass reports it
  return {staging, staging};
}

// Moves a staged file into --out under its name unless an earlier folder of this
// run wrote that name; returns the final path, or throws with the reason.
std::filesystem::path Publish(const std::filesystem::path& staged, const Options& options,
                              const std::filesystem::path& folder, OutputClaims& claims) {
  std::filesystem::path target = *options.out / staged.filename();
  if (std::optional<std::filesystem::path> owner = claims.Claim(target, folder)) {
    throw std::runtime_error(PathToUtf8(target) + " is also the output of " + PathToUtf8(*owner) +
                             "; this folder's file is not written");
  }
  std::filesystem::rename(staged, target);
  return target;
}

Status ConvertFolder(const Options& options, const std::filesystem::path& folder,
                     const OutputPlace& place, OutputClaims& claims, CliRunHost& host,
                     Console& console) {
  std::string prefix = options.folders.size() > 1 ? PathToUtf8(folder) + ": " : std::string();
  Status status = kSetupFailed;
  std::vector<std::string> report;
  // The pass returns without a word when the folder is missing, as the window
  // wants; on the command line the user learns which name was wrong.
  std::error_code notFound;
  if (!std::filesystem::is_directory(folder, notFound)) {
    report.push_back("ranta2kv-cli: " + PathToUtf8(folder) + ": no such folder");
  } else {
    try {
      auto written = options.oledb ? ConvertOleDb(host) : ConvertDbf(host);
      if (written) {
        if (place.staging) written = Publish(*written, options, folder, claims);
        status = kWritten;
        report.push_back("written: " + PathToUtf8(*written));
      }
    } catch (const Error& error) {
      status = kFailed;
      report.push_back("ranta2kv-cli: " + prefix + Cp1251ToUtf8(error.what()));
    } catch (const std::exception& error) {
      status = kFailed;
      report.push_back("ranta2kv-cli: " + prefix + error.what());
    }
  }
  if (place.staging) {
    std::error_code error;
    std::filesystem::remove_all(*place.staging, error);
  }
  host.Flush();
  console.WriteLines(report, StandardStream::Error);
  return status;
}

}  // namespace

int RunConvert(const std::vector<std::string>& args, char decimalSeparator) {
  Options options;
  options.decimal_separator = decimalSeparator;
  if (!ParseOptions(args, options)) {
    PrintUsage(true);
    return 2;
  }
  CatchStopRequests();
  const bool several = options.folders.size() > 1;
  const bool parallel = several && options.jobs > 1;
  const bool progress = !parallel && IsConsole(StandardStream::Error);
  // Names this run's staging folders apart from those of runs at the same time.
  const unsigned runTag = std::random_device()();
  Console console;
  OutputClaims claims;
  std::vector<Status> statuses(options.folders.size(), kWritten);
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < options.folders.size(); i = next++) {
      const std::filesystem::path& folder = options.folders[i];
      const OutputPlace place = PlaceOutput(options, i, runTag);
      CliRunHost host(options, place.folder, folder, several ? PathToUtf8(folder) + ": " : std::string(),
                      !parallel, progress, console);
      statuses[i] = ConvertFolder(options, folder, place, claims, host, console);
    }
  };
  std::vector<std::thread> threads;
  int count = parallel ? std::min<int>(options.jobs, static_cast<int>(options.folders.size())) : 1;
  for (int i = 1; i < count; ++i) threads.emplace_back(worker);
  worker();
  for (std::thread& thread : threads) thread.join();
  return *std::max_element(statuses.begin(), statuses.end());
}

}  // namespace ranta2kv::cli
