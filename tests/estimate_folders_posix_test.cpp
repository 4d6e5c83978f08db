// Tests of the search for estimate folders where POSIX systems can show them:
// links to folders are not followed (a loop of links ends), and a folder that
// cannot be read is one log line while the search goes on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "convert/estimate_folders.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;

// Every estimate found and every line logged, one line each.
std::string Search(const fs::path& root) {
  std::string shown;
  auto log = [&shown](const std::string& line) { shown += "log: " + Cp1251ToUtf8(line) + "\n"; };
  for (const EstimateFolder& estimate : FindEstimateFolders(root, log, [] { return true; }))
    shown += estimate.relative.string() + "\n";
  return shown;
}

class EstimateFoldersPosixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gen::GenerateEstimate({.seed = 1, .positions = 3}, root_ / "a");
    gen::GenerateEstimate({.seed = 2, .positions = 3}, root_ / "c" / "d");
  }
  ScratchFolder scratch_{"folders"};
  fs::path root_ = scratch_ / "object";
};

TEST_F(EstimateFoldersPosixTest, LinksToFoldersAreNotFollowed) {
  fs::create_directory_symlink(root_ / "a", root_ / "b-link");
  fs::create_directory_symlink(root_, root_ / "c" / "loop");
  EXPECT_EQ(Search(root_), "a\nc/d\n");
}

TEST_F(EstimateFoldersPosixTest, UnreadableFolderIsLoggedAndPassedOver) {
  fs::create_directories(root_ / "b");
  ASSERT_EQ(::chmod((root_ / "b").c_str(), 0), 0);
  // Root reads every folder: the search runs as a user whom the mode binds.
  fs::permissions(scratch_.Path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
  const std::string shown = RunUnprivileged([this] { return Search(root_); });
  if (shown == kNoUnprivilegedUser) GTEST_SKIP() << shown;
  EXPECT_EQ(shown, "log: Не удалось прочитать папку \"" + (root_ / "b").string() + "\": Permission denied\na\nc/d\n");
}

}  // namespace
}  // namespace ranta2kv::test
