// ranta2kv-cli convert: runs a conversion pass on each folder (with --recursive,
// on each estimate folder below an object folder) through a run host of its own.
// The log goes to stdout as UTF-8 lines, each run's result line after it, a
// progress bar to stderr when it is a console; Ctrl-C acts as Stop, a second
// Ctrl-C aborts.
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
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
#include "common/failure_text.h"
#include "convert/conversion_pass.h"
#include "convert/estimate_folders.h"
#include "convert/object_run.h"
#include "platform/console.h"
#include "platform/file_name.h"
#include "platform/file_status.h"
#include "platform/folder_listing.h"
#include "platform/folder_tree.h"

namespace ranta2kv::cli {
namespace {

struct Options {
  bool oledb = true;
  bool recursive = false;
  std::optional<std::filesystem::path> out;
  int jobs = 1;
  char decimal_separator = '.';
  std::vector<std::filesystem::path> folders;
};

// Arguments the command refuses, with the one line that says why.
struct Refusal {
  std::string reason;
};

// One estimate folder to convert.
struct Job {
  std::filesystem::path folder;
  std::string title;   // the line before its log lines (an object's estimate), or empty
  std::string prefix;  // "FOLDER: " before each line when several folders are given
  std::optional<std::filesystem::path> output;  // --out, or its mirror of the object's tree
};

// What a job has to say once it is done: its log lines (when they were kept
// back) for stdout, its report for stderr.
struct JobOutput {
  std::vector<std::string> log, report;
};

// Output shared by the runs: whole lines, one writer at a time; the output of
// the jobs in the order of the jobs, whichever finishes first.
class Console {
 public:
  void WriteLines(const std::vector<std::string>& lines, StandardStream stream) {
    std::lock_guard<std::mutex> lock(mutex_);
    Write(lines, stream);
  }
  void WriteJobOutput(std::size_t job, JobOutput output) {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.emplace(job, std::move(output));
    for (auto next = waiting_.begin(); next != waiting_.end() && next->first == next_job_;
         next = waiting_.erase(next), ++next_job_) {
      Write(next->second.log, StandardStream::Output);
      Write(next->second.report, StandardStream::Error);
    }
  }

 private:
  static void Write(const std::vector<std::string>& lines, StandardStream stream) {
    for (const std::string& line : lines) WriteText(stream, line + "\n");
    FlushStream(stream);
  }
  std::mutex mutex_;
  std::map<std::size_t, JobOutput> waiting_;  // by job, until the jobs before have written
  std::size_t next_job_ = 0;
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
    last_line_ = line1251;
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

  // The last line logged (windows-1251): after a failed set-up, its reason.
  const std::string& LastLine() const { return last_line_; }

  // The lines kept back, with the progress bar taken off the console.
  std::vector<std::string> TakeLog() {
    ClearProgress();
    return std::move(log_);
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
  std::string last_line_;
  int maximum_ = 100, position_ = 0, drawn_percent_ = -1;
  bool bar_visible_ = false;
};

enum Status { kWritten = 0, kSetupFailed = 1, kFailed = 2 };

// A whole number from 1 up, all of the text.
std::optional<int> JobCount(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

Options ParseOptions(const std::vector<std::string>& args, char decimalSeparator) {
  Options options;
  options.decimal_separator = decimalSeparator;
  constexpr char kJobsTake[] = "-j takes a whole number from 1 up";
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](const char* takes) -> const std::string& {
      if (i + 1 >= args.size()) throw Refusal{std::string(takes) + ", and none is given"};
      return args[++i];
    };
    auto jobs = [&](const std::string& text) {
      std::optional<int> count = JobCount(text);
      if (!count) throw Refusal{std::string(kJobsTake) + ", not '" + text + "'"};
      options.jobs = *count;
    };
    if (arg == "--source") {
      const std::string& v = value("--source takes oledb or dbf");
      if (v != "oledb" && v != "dbf") throw Refusal{"--source takes oledb or dbf, not '" + v + "'"};
      options.oledb = v == "oledb";
    } else if (arg == "--out") {
      options.out = PathFromUtf8(value("--out takes the folder to write the files into"));
    } else if (arg == "-r" || arg == "--recursive") {
      options.recursive = true;
    } else if (arg == "-j" || arg == "--jobs") {
      jobs(value(kJobsTake));
    } else if (arg.rfind("-j", 0) == 0 && arg.size() > 2) {
      jobs(arg.substr(2));
    } else if (!arg.empty() && arg[0] == '-') {
      throw Refusal{"convert has no option '" + arg + "'"};
    } else {
      options.folders.push_back(PathFromUtf8(arg));
    }
  }
  if (options.folders.empty()) throw Refusal{"convert takes the FOLDER of an estimate, and none is given"};
  return options;
}

// The estimates below an object folder, or nothing when the folder is no object
// folder (it holds SMETA.DBF itself, cannot be read, or nothing below does).
std::optional<std::vector<EstimateFolder>> ObjectEstimates(const std::filesystem::path& folder,
                                                           Console& console) {
  try {
    if (HoldsEstimate(ListFolder(folder))) return std::nullopt;
  } catch (const Error&) {
    return std::nullopt;
  }
  auto log = [&console](const std::string& line) {
    console.WriteLines({Cp1251ToUtf8(line)}, StandardStream::Output);
  };
  std::vector<EstimateFolder> found = FindEstimateFolders(folder, log, [] { return StopRequests() == 0; });
  if (found.empty()) return std::nullopt;
  return found;
}

std::vector<Job> PlanJobs(const Options& options, Console& console) {
  std::vector<Job> jobs;
  const bool several = options.folders.size() > 1;
  for (const std::filesystem::path& folder : options.folders) {
    const std::string named = several ? PathToUtf8(folder) + ": " : std::string();
    std::optional<std::vector<EstimateFolder>> estimates;
    if (options.recursive) estimates = ObjectEstimates(folder, console);
    if (!estimates) {
      jobs.push_back({folder, {}, named, options.out});
      continue;
    }
    for (const EstimateFolder& estimate : *estimates) {
      Job job{estimate.folder, EstimateNameLine(several ? folder / estimate.relative : estimate.relative), {},
              options.out};
      if (job.output) *job.output /= estimate.relative;
      jobs.push_back(std::move(job));
    }
  }
  return jobs;
}

// Where a job's pass writes: its output folder, or, when other jobs of the run
// write into the same folder, a staging folder of its own inside it (on the same
// file system, so that the file moves into place with one rename once its name
// is claimed).
struct OutputPlace {
  std::optional<std::filesystem::path> folder;   // given to the pass
  std::optional<std::filesystem::path> staging;  // set when folder is a staging folder
};

OutputPlace PlaceOutput(const Job& job, bool shared, std::size_t index, unsigned runTag) {
  if (!job.output) return {};
  CreateFolders(*job.output);  // the pass reports a folder it cannot write to
  if (!shared) return {job.output, std::nullopt};
  std::filesystem::path staging =
      *job.output / (".ranta2kv-" + std::to_string(runTag) + "-" + std::to_string(index));
  if (!CreateFreshFolder(staging)) return {job.output, std::nullopt};
  return {staging, staging};
}

// Moves a staged file into its output folder under its name unless an earlier
// job of this run wrote that name; returns the final path, or throws with the reason.
std::filesystem::path Publish(const std::filesystem::path& staged, const Job& job, OutputClaims& claims) {
  std::filesystem::path target = *job.output / staged.filename();
  if (std::optional<std::filesystem::path> owner = claims.Claim(target, job.folder)) {
    throw std::runtime_error(PathToUtf8(target) + " is also the output of " + PathToUtf8(*owner) +
                             "; this folder's file is not written");
  }
  if (const std::error_code error = RenameFile(staged, target)) {
    throw std::filesystem::filesystem_error("cannot rename", staged, target, error);
  }
  return target;
}

Status ConvertJob(const Options& options, const Job& job, const OutputPlace& place, OutputClaims& claims,
                  CliRunHost& host, JobOutput& output) {
  // A failure names the folder whenever the run has more than one.
  const std::string named = options.recursive || options.folders.size() > 1 ? PathToUtf8(job.folder) + ": " : "";
  Status status = kSetupFailed;
  std::vector<std::string>& report = output.report;
  if (!job.title.empty()) host.AppendLog(job.title);
  // The pass returns without a word when the folder is missing, as the window
  // wants; on the command line the user learns which name was wrong.
  if (StatusOf(job.folder).kind != FileKind::Folder) {
    report.push_back("ranta2kv-cli: " + PathToUtf8(job.folder) + ": no such folder");
  } else {
    try {
      std::optional<ConversionResult> result = options.oledb ? ConvertOleDb(host) : ConvertDbf(host);
      if (result) {
        if (place.staging) result->file = Publish(result->file, job, claims);
        status = kWritten;
        host.AppendLog(ResultLine(*result));
        report.push_back("written: " + PathToUtf8(result->file));
      } else if (!named.empty()) {
        report.push_back("ranta2kv-cli: " + named + Cp1251ToUtf8(host.LastLine()));
      }
    } catch (...) {
      status = kFailed;
      report.push_back("ranta2kv-cli: " + named + FailureTextUtf8(std::current_exception()));
    }
  }
  if (place.staging) RemoveFolderTree(*place.staging);
  output.log = host.TakeLog();
  return status;
}

}  // namespace

int RunConvert(const std::vector<std::string>& args, char decimalSeparator) {
  Options options;
  try {
    options = ParseOptions(args, decimalSeparator);
  } catch (const Refusal& refusal) {
    return RefuseArguments(refusal.reason);
  }
  CatchStopRequests();
  Console console;
  const std::vector<Job> jobs = PlanJobs(options, console);
  const bool parallel = jobs.size() > 1 && options.jobs > 1;
  const bool progress = !parallel && IsConsole(StandardStream::Error);
  std::map<std::filesystem::path, int> writers;  // jobs per output folder
  for (const Job& job : jobs)
    if (job.output) ++writers[job.output->lexically_normal()];
  // Names this run's staging folders apart from those of runs at the same time.
  const unsigned runTag = std::random_device()();
  OutputClaims claims;
  std::vector<std::optional<Status>> statuses(jobs.size());
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    // After Ctrl-C the estimate in hand is written and no other one begins.
    for (std::size_t i = next++; i < jobs.size() && StopRequests() == 0; i = next++) {
      const Job& job = jobs[i];
      const bool shared = job.output && writers[job.output->lexically_normal()] > 1;
      const OutputPlace place = PlaceOutput(job, shared, i, runTag);
      CliRunHost host(options, place.folder, job.folder, job.prefix, !parallel, progress, console);
      JobOutput output;
      statuses[i] = ConvertJob(options, job, place, claims, host, output);
      console.WriteJobOutput(i, std::move(output));
    }
  };
  std::vector<std::thread> threads;
  const int count = parallel ? std::min<int>(options.jobs, static_cast<int>(jobs.size())) : 1;
  for (int i = 1; i < count; ++i) threads.emplace_back(worker);
  worker();
  for (std::thread& thread : threads) thread.join();
  int written = 0, failed = 0, status = kWritten;
  for (const std::optional<Status>& s : statuses) {
    if (!s) continue;
    (*s == kWritten ? written : failed) += 1;
    status = std::max<int>(status, *s);
  }
  if (options.recursive) {
    console.WriteLines({Cp1251ToUtf8(ObjectSummaryLine(static_cast<int>(jobs.size()), written, failed,
                                                       StopRequests() > 0))},
                       StandardStream::Output);
  }
  return status;
}

}  // namespace ranta2kv::cli
