// The driver of the soak run (tests/soak): converts generated estimates in one
// process for some minutes, through the command line's run host and the window's,
// both passes, with Stop pressed at random rows and reads and writes failing at
// random calls, and checks after every run that the output is whole or absent.
// Prints the runs and the process's memory and open descriptors at the start and
// the end. Not part of the test suite.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/qt/window_run_host.h"
#include "cli/commands.h"
#include "common/error.h"
#include "convert/conversion_pass.h"
#include "platform/file_faults.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;

// Resident memory in KiB, after the allocator gave back what it can.
long ResidentKb() {
  ::malloc_trim(0);
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors() {
  int count = 0;
  for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it) ++count;
  return count - 1;  // the iterator's own
}

// The window's run host with Stop pressed after some rows and faults injected
// into one read or write of the run.
class SoakHost : public RunHost, public FileFaults {
 public:
  SoakHost(WindowRunHost& window, fs::path folder) : RunHost(','), window_(window), folder_(std::move(folder)) {
    window_.BeginRun(folder_);
  }
  std::optional<int> stop_after;      // rows
  std::optional<long> fail_read;      // the read call that fails, counted from 0
  std::optional<long> fail_write;     // the write call that fails
  std::optional<FileCall> fail_call;  // Sync or Replace fails
  bool faulted = false;
  bool stopped = false;  // Stop was pressed

  fs::path FolderPath() override { return folder_; }
  void AppendLog(const std::string& line) override { window_.AppendLog(line); }
  void ClearLog() override { window_.ClearLog(); }
  void SetProgressMax(int maximum) override { window_.SetProgressMax(maximum); }
  void SetProgressPosition(int position) override { window_.SetProgressPosition(position); }
  void StepProgress() override {
    ++rows_;
    window_.StepProgress();
  }
  void ProcessPendingEvents() override {
    window_.ProcessPendingEvents();
    if (stop_after && rows_ >= *stop_after && Running()) {
      SetRunning(false);
      stopped = true;
    }
  }
  void SetBusyIndication(bool busy) override { window_.SetBusyIndication(busy); }
  void ApplyButtonRule() override {
    window_.SetRunning(Running());
    window_.ApplyButtonRule();
  }
  FileFaults* Faults() override { return this; }
  int Before(FileCall call, const fs::path&, std::size_t&) override {
    long& count = call == FileCall::Read ? reads_ : writes_;
    const std::optional<long>& failing = call == FileCall::Read ? fail_read : fail_write;
    if ((call == FileCall::Read || call == FileCall::Write) && failing && count++ == *failing) return Fault();
    if (fail_call && call == *fail_call) return Fault();
    return 0;
  }

 private:
  int Fault() {
    faulted = true;
    return EIO;
  }
  WindowRunHost& window_;
  fs::path folder_;
  int rows_ = 0;
  long reads_ = 0, writes_ = 0;
};

struct Estimate {
  fs::path folder;
  fs::path file[2];       // the output file of a whole run, by pass (0 direct, 1 SQL)
  std::string output[2];  // its bytes
};

bool HasTemporaryFiles(const fs::path& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".tmp") return true;
  }
  return false;
}

std::vector<fs::path> Outputs(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".XML") files.push_back(entry.path());
  }
  return files;
}

// Every output file is a whole document (a stopped run writes a shorter one).
bool AllWhole(const fs::path& folder) {
  for (const fs::path& file : Outputs(folder)) {
    const std::string bytes = ReadFileBytes(file);
    if (bytes.rfind("<?xml", 0) != 0 || bytes.find("</Document>") == std::string::npos) return false;
  }
  return true;
}

// The command line's convert in this process, its output kept off the terminal.
int RunCli(bool oledb, const fs::path& folder) {
  std::fflush(stdout);
  std::fflush(stderr);
  int saved[2] = {::dup(1), ::dup(2)};
  int null = ::open("/dev/null", O_WRONLY);
  ::dup2(null, 1);
  ::dup2(null, 2);
  ::close(null);
  int status = cli::RunConvert({"--source", oledb ? "oledb" : "dbf", folder.string()}, ',');
  std::fflush(stdout);
  std::fflush(stderr);
  ::dup2(saved[0], 1);
  ::dup2(saved[1], 2);
  ::close(saved[0]);
  ::close(saved[1]);
  return status;
}

int Soak(double minutes) {
  ScratchFolder scratch("soak");
  std::vector<Estimate> estimates;
  for (int positions : {60, 400, 1500}) {
    Estimate estimate{scratch / ("E" + std::to_string(positions)), {}, {}};
    gen::GenerateEstimate({.seed = static_cast<std::uint64_t>(positions), .positions = positions, .edge = true},
                          estimate.folder);
    for (int pass = 0; pass < 2; ++pass) {
      if (RunCli(pass == 1, estimate.folder) != 0) {
        std::fprintf(stderr, "soak: the reference run failed\n");
        return 1;
      }
      // The passes may name their files differently (the SQL pass trims the name).
      if (pass == 1) estimate.file[1] = estimate.file[0];
      for (const fs::path& file : Outputs(estimate.folder)) {
        if (pass == 0 || file != estimate.file[0]) estimate.file[pass] = file;
      }
      estimate.output[pass] = ReadFileBytes(estimate.file[pass]);
    }
    estimates.push_back(std::move(estimate));
  }

  QLineEdit folderBox;
  QPlainTextEdit log;
  QProgressBar progress;
  QPushButton start, stop;
  WindowRunHost window({&folderBox, &log, &progress, &start, &stop}, ',');

  std::mt19937_64 random(20261209);
  auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
  const auto began = std::chrono::steady_clock::now();
  const auto until = began + std::chrono::duration<double, std::ratio<60>>(minutes);
  long runs = 0, written = 0, stopped = 0, failed = 0, faults = 0, bad = 0;
  long startKb = 0;
  int startFds = 0;
  int minutesShown = 0;
  while (std::chrono::steady_clock::now() < until || runs < 40) {
    // The start's figures: after the first runs of each kind have built their
    // caches, and in a longer soak after the first minute, when the allocator has
    // reached the size it keeps.
    if (runs == 20) {
      startKb = ResidentKb();
      startFds = OpenDescriptors();
    }
    if (runs > 20 && std::chrono::steady_clock::now() >= began + std::chrono::minutes(minutesShown + 1)) {
      ++minutesShown;
      const long kb = ResidentKb();
      const int fds = OpenDescriptors();
      if (minutesShown == 1 && minutes >= 2) {
        startKb = kb;
        startFds = fds;
      }
      std::printf("minute %d: %ld runs, resident memory %ld KiB, open descriptors %d\n", minutesShown, runs, kb,
                  fds);
      std::fflush(stdout);
    }
    const Estimate& estimate = estimates[random() % estimates.size()];
    const int pass = static_cast<int>(random() % 2);
    const std::string before = ReadFileBytes(estimate.file[pass]);
    bool complete = true, ok = false;
    if (chance(25)) {
      ok = RunCli(pass == 1, estimate.folder) == 0;
    } else {
      window.ClearLog();  // as Start does
      SoakHost host(window, estimate.folder);
      if (chance(30)) host.stop_after = static_cast<int>(random() % 2000);
      const int fault = static_cast<int>(random() % 10);
      if (fault < 3) host.fail_read = static_cast<long>(random() % 3000);
      if (fault == 3 || fault == 4) host.fail_write = static_cast<long>(random() % 40);
      if (fault == 5) host.fail_call = chance(50) ? FileCall::Sync : FileCall::Replace;
      try {
        ok = (pass == 1 ? ConvertOleDb(host) : ConvertDbf(host)).has_value();
      } catch (const Error&) {
        window.ReturnToReady();
        ok = false;
      }
      if (host.faulted) ++faults;
      complete = !host.stopped;
    }
    ++runs;
    const std::string now = ReadFileBytes(estimate.file[pass]);
    bool whole = true;
    if (!ok) {
      ++failed;
      whole = now == before;  // the earlier file stays as it was
    } else if (complete) {
      ++written;
      whole = now == estimate.output[pass];
    } else {
      ++stopped;
      whole = AllWhole(estimate.folder);
    }
    if (!whole || HasTemporaryFiles(estimate.folder)) {
      ++bad;
      std::fprintf(stderr, "soak: run %ld left a partial or wrong output in %s\n", runs, estimate.folder.c_str());
    }
  }
  const double elapsed =
      std::chrono::duration<double, std::ratio<60>>(std::chrono::steady_clock::now() - began).count();
  const long endKb = ResidentKb();
  const int endFds = OpenDescriptors();
  std::printf("runs %ld in %.1f minutes: %ld written whole, %ld stopped, %ld failed (%ld with an injected fault)\n",
              runs, elapsed, written, stopped, failed, faults);
  std::printf("resident memory %ld KiB at the start, %ld KiB at the end\n", startKb, endKb);
  std::printf("open descriptors %d at the start, %d at the end\n", startFds, endFds);
  std::printf("outputs partial or wrong: %ld\n", bad);
  const bool grew = endFds > startFds || endKb > startKb + startKb / 10 + 4096;
  if (grew) std::printf("memory or descriptors grew\n");
  return bad == 0 && !grew ? 0 : 1;
}

}  // namespace
}  // namespace ranta2kv::test

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  double minutes = argc > 1 ? std::atof(argv[1]) : 10;
  return ranta2kv::test::Soak(minutes);
}
