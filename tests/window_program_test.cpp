// Tests of the window program's command line: --help and --version print and
// end without a window, also where there is no screen at all.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/version.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv::test {
namespace {

TEST(WindowProgramTest, HelpAndVersionWithoutAScreen) {
  const std::filesystem::path program = RANTA2KV_BIN_DIR "/ranta2kv";
  if (!std::filesystem::exists(program)) GTEST_SKIP() << "the window is not built";
  ScratchFolder scratch{"window-program"};
  const std::filesystem::path out = scratch / "stdout.txt";
  auto run = [&](const std::string& arguments) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + program.string() + " " +
                                arguments + " >" + out.string() + " 2>&1 </dev/null";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(run("--version"), 0);
  EXPECT_EQ(ReadFileBytes(out), "ranta2kv " RANTA2KV_VERSION "\n");
  EXPECT_EQ(run("--help"), 0);
  EXPECT_EQ(ReadFileBytes(out).rfind("usage: ranta2kv [FOLDER]\n", 0), 0u) << ReadFileBytes(out);
}

}  // namespace
}  // namespace ranta2kv::test
