// ranta2kv-cli convert: runs a conversion pass on each folder (with --recursive,
// on each estimate folder below an object folder) through a run host of its own.
// The log goes to stdout as UTF-8 lines, each run's result lines after it, a
// progress bar to stderr when it is a console; Ctrl-C acts as Stop, a second
// Ctrl-C aborts. Folders whose files would take one name under --out: the first
// in the command's order writes it, whatever -j is.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "common/codepage.h"
#include "common/error.h"
#include "common/failure_text.h"
#include "common/log_lines.h"
#include "convert/conversion_pass.h"
#include "convert/estimate_folders.h"
#include "convert/object_run.h"
#include "platform/console.h"
#include "platform/file_name.h"
#include "platform/file_status.h"
#include "platform/folder_listing.h"
#include "platform/folder_tree.h"
#include "source/estimate_folder.h"

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

// The output files of the jobs of one run. Several jobs may name the same file
// (under --out): the first in the command's order writes it and each later one
// fails, whatever -j is. So a job claims its file only once every job before it
// has claimed its own or ended; jobs are begun in order, so the ones it waits
// for are all under way.
class OutputClaims {
 public:
  explicit OutputClaims(const std::vector<Job>& jobs) : jobs_(jobs), settled_(jobs.size()), files_(jobs.size()) {}

  // Waits for the jobs before job; then job owns file, or a job before it does,
  // which throws with the reason.
  void Claim(std::size_t job, const std::filesystem::path& file) {
    const std::filesystem::path key = file.lexically_normal();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return std::all_of(settled_.begin(), settled_.begin() + job, [](bool s) { return s; }); });
    for (std::size_t before = 0; before < job; ++before) {
      if (files_[before] == key) {
        throw std::runtime_error(PathToUtf8(file) + " is also the output of " + PathToUtf8(jobs_[before].folder) +
                                 "; this folder's file is not written");
      }
    }
    files_[job] = key;
    Settle(job, lock);
  }
  // The job has claimed its file or will claim none.
  void Settle(std::size_t job) {
    std::unique_lock<std::mutex> lock(mutex_);
    Settle(job, lock);
  }

 private:
  void Settle(std::size_t job, std::unique_lock<std::mutex>&) {
    settled_[job] = true;
    changed_.notify_all();
  }

  const std::vector<Job>& jobs_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<bool> settled_;                 // by job, under mutex_
  std::vector<std::filesystem::path> files_;  // by job: the file claimed, or empty
};

// Settles a job's claim however the job ends.
class ClaimSettled {
 public:
  ClaimSettled(OutputClaims& claims, std::size_t job) : claims_(claims), job_(job) {}
  ~ClaimSettled() { claims_.Settle(job_); }
  ClaimSettled(const ClaimSettled&) = delete;
  ClaimSettled& operator=(const ClaimSettled&) = delete;

 private:
  OutputClaims& claims_;
  std::size_t job_;
};

class CliRunHost : public RunHost {
 public:
  CliRunHost(const Options& options, const Job& job, std::size_t index, bool streamLog, bool showProgress,
             Console& console, OutputClaims& claims)
      : RunHost(options.decimal_separator),
        output_folder_(job.output),
        folder_(job.folder),
        prefix_(job.prefix),
        index_(index),
        stream_log_(streamLog),
        show_progress_(showProgress),
        console_(console),
        claims_(claims) {}

  std::filesystem::path FolderPath() override { return folder_; }
  std::optional<std::filesystem::path> OutputFolder() override { return output_folder_; }
  void ClaimOutputFile(const std::filesystem::path& file) override { claims_.Claim(index_, file); }

  void AppendLog(const std::string& line1251) override {
    lines_.push_back(line1251);
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

  // The lines logged so far (windows-1251): after a failed set-up, its reason.
  const std::vector<std::string>& Lines() const { return lines_; }

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

  std::optional<std::filesystem::path> output_folder_;  // --out, or its mirror of the object's tree
  std::filesystem::path folder_;
  std::string prefix_;   // "FOLDER: " when several folders are converted
  std::size_t index_;    // of the job, in the command's order
  bool stream_log_;      // print lines at once rather than when the folder is done
  bool show_progress_;
  Console& console_;
  OutputClaims& claims_;
  std::vector<std::string> log_;
  std::vector<std::string> lines_;  // windows-1251, every line logged
  int maximum_ = 100, position_ = 0, drawn_percent_ = -1;
  bool bar_visible_ = false;
};

// The exit statuses; a run that Ctrl-C stopped exits kStopped whatever its
// folders gave, else with the highest status of its folders.
enum Status { kWritten = 0, kSetupFailed = 1, kFailed = 2, kStopped = 3 };

// --help or -h among the arguments.
bool AsksForHelp(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) { return arg == "--help" || arg == "-h"; });
}

// The lines of a windows-1251 text of several lines, each in UTF-8.
std::vector<std::string> Utf8Lines(const std::string& text1251) {
  std::vector<std::string> lines;
  AppendLines([&lines](const std::string& line) { lines.push_back(Cp1251ToUtf8(line)); }, text1251);
  return lines;
}

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
    std::string arg = args[i];
    // --option=value is --option value.
    std::optional<std::string> attached;
    if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
      attached = arg.substr(equals + 1);
      arg.resize(equals);
    }
    auto value = [&](const char* takes) -> std::string {
      if (attached) return *attached;
      if (i + 1 >= args.size()) throw Refusal{std::string(takes) + ", and none is given"};
      return args[++i];
    };
    auto jobs = [&](const std::string& text) {
      std::optional<int> count = JobCount(text);
      if (!count) throw Refusal{std::string(kJobsTake) + ", not '" + text + "'"};
      options.jobs = *count;
    };
    if (arg == "--source") {
      const std::string v = value("--source takes oledb or dbf");
      if (v != "oledb" && v != "dbf") throw Refusal{"--source takes oledb or dbf, not '" + v + "'"};
      options.oledb = v == "oledb";
    } else if (arg == "--out") {
      options.out = PathFromUtf8(value("--out takes the folder to write the files into"));
    } else if ((arg == "-r" || arg == "--recursive") && !attached) {
      options.recursive = true;
    } else if (arg == "-j" || arg == "--jobs") {
      jobs(value(kJobsTake));
    } else if (arg.rfind("-j", 0) == 0 && arg.size() > 2 && !arg.starts_with("--")) {
      jobs(arg.substr(2));
    } else if (!arg.empty() && arg[0] == '-') {
      throw Refusal{"convert has no option '" + arg + "'" + (attached ? " that takes a value" : "")};
    } else {
      options.folders.push_back(PathFromUtf8(args[i]));
    }
  }
  if (options.folders.empty()) throw Refusal{"convert takes the FOLDER of an estimate, and none is given"};
  return options;
}

// The estimates below an object folder, or nothing when the folder is no object
// folder (it holds SMETA.DBF itself, or cannot be read: its own run says why).
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
  return FindEstimateFolders(folder, log, [] { return StopRequests() == 0; });
}

// The jobs of the run, and the given folders below which --recursive found no
// estimate at all.
struct Plan {
  std::vector<Job> jobs;
  std::vector<std::filesystem::path> empty_objects;
};

Plan PlanJobs(const Options& options, Console& console) {
  Plan plan;
  const bool several = options.folders.size() > 1;
  for (const std::filesystem::path& given : options.folders) {
    const std::filesystem::path folder = FolderNamedBy(given);  // a table file stands for its folder
    const std::string named = several ? PathToUtf8(folder) + ": " : std::string();
    std::optional<std::vector<EstimateFolder>> estimates;
    if (options.recursive) estimates = ObjectEstimates(folder, console);
    if (!estimates) {
      plan.jobs.push_back({folder, {}, named, options.out});
      continue;
    }
    if (estimates->empty()) plan.empty_objects.push_back(folder);
    for (const EstimateFolder& estimate : *estimates) {
      Job job{estimate.folder, EstimateNameLine(several ? folder / estimate.relative : estimate.relative), {},
              options.out};
      if (job.output) *job.output /= estimate.relative;
      plan.jobs.push_back(std::move(job));
    }
  }
  return plan;
}

// The output folder of a job, made when it is missing; the folders made for it
// are removed again when the job writes nothing there, so that a failed
// estimate leaves no empty folder under --out.
class OutputFolder {
 public:
  // Throws with the system's reason when the folder cannot be made.
  explicit OutputFolder(const std::optional<std::filesystem::path>& folder) {
    if (!folder) return;
    if (const std::error_code error = CreateFolders(*folder, made_)) {
      throw std::runtime_error("cannot make the output folder " + PathToUtf8(*folder) + ": " + error.message());
    }
  }
  ~OutputFolder() {
    for (const std::filesystem::path& folder : made_) {  // innermost first
      if (!RemoveEmptyFolder(folder)) return;
    }
  }
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

 private:
  std::vector<std::filesystem::path> made_;  // innermost first
};

// Whether a folder that holds no estimate of its own has estimate folders below
// it: a user who meant --recursive learns so.
std::size_t EstimatesBelow(const std::filesystem::path& folder) {
  try {
    if (HoldsEstimate(ListFolder(folder))) return 0;
  } catch (const Error&) {
    return 0;
  }
  return FindEstimateFolders(folder, [](const std::string&) {}, [] { return StopRequests() == 0; }).size();
}

Status ConvertJob(const Options& options, const Job& job, CliRunHost& host, JobOutput& output) {
  // In a run of several folders a failure names its folder, and is a line of
  // the log too (on stdout, where the folder's other lines are).
  const bool batch = options.recursive || options.folders.size() > 1;
  const std::string named = batch ? PathToUtf8(job.folder) + ": " : "";
  std::vector<std::string>& report = output.report;
  auto reportFailure = [&](const std::string& utf8) {
    report.push_back("ranta2kv-cli: " + named + utf8);
  };
  Status status = kSetupFailed;
  if (!job.title.empty()) host.AppendLog(job.title);
  const std::size_t before = host.Lines().size();
  // The pass returns without a word when the folder is missing, as the window
  // wants; on the command line the user learns which name was wrong.
  if (StatusOf(job.folder).kind != FileKind::Folder) {
    if (batch) host.AppendLog(FolderNotFoundLine());
    report.push_back("ranta2kv-cli: " + PathToUtf8(job.folder) + ": no such folder");
  } else {
    try {
      OutputFolder made(job.output);
      std::optional<ConversionResult> result = options.oledb ? ConvertOleDb(host) : ConvertDbf(host);
      if (result) {
        status = result->stopped ? kStopped : kWritten;
        AppendLogLines(host, ResultText(*result));
        report.push_back("written: " + PathToUtf8(result->file));
      } else {
        if (batch) {
          for (std::size_t i = before; i < host.Lines().size(); ++i) reportFailure(Cp1251ToUtf8(host.Lines()[i]));
        }
        if (const std::size_t below = EstimatesBelow(job.folder)) {
          report.push_back("ranta2kv-cli: " + PathToUtf8(job.folder) + " holds no SMETA.DBF itself, but " +
                           std::to_string(below) + " estimate folder" + (below == 1 ? "" : "s") +
                           " below it: convert them with --recursive");
        }
      }
    } catch (...) {
      status = kFailed;
      const std::exception_ptr failure = std::current_exception();
      if (batch) AppendLogLines(host, FailureText1251(failure));
      reportFailure(FailureTextUtf8(failure));
    }
  }
  output.log = host.TakeLog();
  return status;
}

}  // namespace

int RunConvert(const std::vector<std::string>& args, char decimalSeparator) {
  if (AsksForHelp(args)) {
    PrintUsage(false);
    return 0;
  }
  Options options;
  try {
    options = ParseOptions(args, decimalSeparator);
  } catch (const Refusal& refusal) {
    return RefuseArguments(refusal.reason);
  }
  CatchStopRequests();
  Console console;
  const Plan plan = PlanJobs(options, console);
  const std::vector<Job>& jobs = plan.jobs;
  for (const std::filesystem::path& folder : plan.empty_objects) {
    console.WriteLines({"ranta2kv-cli: " + PathToUtf8(folder) + ": no folder below it holds SMETA.DBF"},
                       StandardStream::Error);
  }
  const bool parallel = jobs.size() > 1 && options.jobs > 1;
  const bool progress = !parallel && IsConsole(StandardStream::Error);
  OutputClaims claims(jobs);
  std::vector<std::optional<Status>> statuses(jobs.size());
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    // After Ctrl-C the estimate in hand is written and no other one begins.
    for (std::size_t i = next++; i < jobs.size() && StopRequests() == 0; i = next++) {
      ClaimSettled settled(claims, i);
      CliRunHost host(options, jobs[i], i, !parallel, progress, console, claims);
      JobOutput output;
      statuses[i] = ConvertJob(options, jobs[i], host, output);
      console.WriteJobOutput(i, std::move(output));
    }
  };
  std::vector<std::thread> threads;
  const int count = parallel ? std::min<int>(options.jobs, static_cast<int>(jobs.size())) : 1;
  for (int i = 1; i < count; ++i) threads.emplace_back(worker);
  worker();
  for (std::thread& thread : threads) thread.join();
  // Stopped: a file holds the rows up to the stop, or a folder was not begun.
  bool stopped = false;
  int written = 0, failed = 0, status = plan.empty_objects.empty() ? kWritten : kSetupFailed;
  for (const std::optional<Status>& s : statuses) {
    stopped = stopped || !s || *s == kStopped;
    if (!s) continue;
    (*s == kWritten || *s == kStopped ? written : failed) += 1;
    status = std::max<int>(status, *s == kStopped ? kWritten : *s);
  }
  if (options.recursive) {
    console.WriteLines(Utf8Lines(ObjectSummaryText(static_cast<int>(jobs.size()), written, failed,
                                                   StopRequests() > 0)),
                       StandardStream::Output);
  }
  return stopped ? kStopped : status;
}

}  // namespace ranta2kv::cli
