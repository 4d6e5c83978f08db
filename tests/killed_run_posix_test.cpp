// A real run of the command line frozen while it writes its file, then killed
// (SIGKILL) or interrupted twice (the second Ctrl-C ends it at once): the folder
// shows no file of ours at that moment, holds none afterwards but the earlier
// file, unchanged, and the next run leaves nothing but its own file either.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pass_outcome.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Some 40 MB of XML: enough for its writing to be caught.
constexpr int kPositions = 40000;
constexpr int kAttempts = 5;  // runs tried before the writing is caught

std::string Proc(pid_t pid, const std::string& entry) { return "/proc/" + std::to_string(pid) + "/" + entry; }

// The value of field ("flags:", "State:", ...) in a /proc file, empty when missing.
std::string ProcField(const std::string& file, const std::string& field) {
  std::ifstream in(file);
  std::string key, value;
  while (in >> key) {
    if (key == field) return in >> value ? value : "";
  }
  return "";
}

// True when pid has a file in folder open for writing only: its output file
// (the tables are opened for reading, the scratch file for both).
bool WritesItsFile(pid_t pid, const fs::path& folder) {
  std::error_code error;
  for (const fs::directory_entry& fd : fs::directory_iterator(Proc(pid, "fd"), error)) {
    std::error_code gone;
    if (fs::read_symlink(fd.path(), gone).parent_path() != folder) continue;
    const std::string flags = ProcField(Proc(pid, "fdinfo/" + fd.path().filename().string()), "flags:");
    if (!flags.empty() && (std::stoi(flags, nullptr, 8) & O_ACCMODE) == O_WRONLY) return true;
  }
  return false;
}

bool Pending(pid_t pid, int signal) {
  const std::string mask = ProcField(Proc(pid, "status"), "ShdPnd:");
  return !mask.empty() && (std::stoull(mask, nullptr, 16) >> (signal - 1) & 1) != 0;
}

class KilledRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gen::GenerateEstimate({.seed = 3, .positions = kPositions, .edge = false}, folder_.Path());
    RunningProgram first(cli_, {"convert", folder_.Path().string()});
    ASSERT_EQ(first.Wait(), "exited with 0");
    const Names written = NonTables(folder_.Path());
    ASSERT_EQ(written.size(), 1u);
    xml_ = folder_ / written[0];
    earlier_ = ReadFileBytes(xml_);
  }

  // Freezes run (SIGSTOP) once it writes its file; false when it ended before.
  bool FrozenWhileWriting(RunningProgram& run) {
    while (!WritesItsFile(run.Pid(), folder_.Path())) {
      if (run.Ended()) return false;
    }
    run.Signal(SIGSTOP);
    while (ProcField(Proc(run.Pid(), "status"), "State:") != "T") {
      if (run.Ended()) return false;
    }
    return true;
  }

  // What the folder holds besides the tables, and whether the earlier file is
  // as it was; then the same after a whole run.
  void ExpectNothingLeftNowAndAfterTheNextRun() {
    EXPECT_EQ(NonTables(folder_.Path()), Names{xml_.filename().string()});
    EXPECT_TRUE(ReadFileBytes(xml_) == earlier_);
    RunningProgram next(cli_, {"convert", folder_.Path().string()});
    EXPECT_EQ(next.Wait(), "exited with 0");
    EXPECT_EQ(NonTables(folder_.Path()), Names{xml_.filename().string()});
    EXPECT_TRUE(ReadFileBytes(xml_) == earlier_);
  }

  ScratchFolder folder_{"killed"};
  const fs::path cli_ = RANTA2KV_BIN_DIR "/ranta2kv-cli";
  fs::path xml_;
  std::string earlier_;
};

TEST_F(KilledRunTest, KilledWhileItWritesLeavesNoFileOfOurs) {
  bool caught = false;
  for (int attempt = 0; attempt < kAttempts && !caught; ++attempt) {
    RunningProgram run(cli_, {"convert", folder_.Path().string()});
    caught = FrozenWhileWriting(run);
    if (!caught) continue;
    EXPECT_EQ(NonTables(folder_.Path()), Names{xml_.filename().string()}) << "while it writes";
    run.Signal(SIGKILL);
    EXPECT_EQ(run.Wait(), "killed by signal 9");
  }
  ASSERT_TRUE(caught) << "no run was caught writing its file";
  ExpectNothingLeftNowAndAfterTheNextRun();
}

TEST_F(KilledRunTest, SecondCtrlCWhileItWritesLeavesNoFileOfOurs) {
  bool caught = false;
  for (int attempt = 0; attempt < kAttempts && !caught; ++attempt) {
    RunningProgram run(cli_, {"convert", folder_.Path().string()});
    if (!FrozenWhileWriting(run)) continue;
    EXPECT_EQ(NonTables(folder_.Path()), Names{xml_.filename().string()}) << "while it writes";
    run.Signal(SIGINT);
    run.Signal(SIGCONT);
    // The first one taken (it only asks the run to stop), the second one ends it.
    while (Pending(run.Pid(), SIGINT) && !run.Ended()) {
    }
    run.Signal(SIGINT);
    caught = run.Wait() == "exited with 130";  // else the file was written in between
  }
  ASSERT_TRUE(caught) << "no run was caught writing its file";
  ExpectNothingLeftNowAndAfterTheNextRun();
}

}  // namespace
}  // namespace ranta2kv::test
