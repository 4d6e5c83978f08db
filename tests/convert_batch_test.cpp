// Tests of `ranta2kv-cli convert` over several folders into one --out folder: of
// estimates that name the same output file the first given writes it and each
// later one fails, whatever -j is, instead of one silently replacing the
// other, and nothing is left behind.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/estimate_fixture.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv::test {
namespace {
namespace fs = std::filesystem;

struct CommandRun {
  int status = -1;
  std::string err, out;
};

std::string FileText(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file).rdbuf();
  return text.str();
}

CommandRun Convert(const std::string& arguments, const ScratchFolder& scratch) {
  const fs::path err = scratch / "stderr.txt", out = scratch / "stdout.txt";
  const std::string command = "env LC_ALL=C.UTF-8 " RANTA2KV_BIN_DIR "/ranta2kv-cli convert --source dbf " +
                              arguments + " >" + out.string() + " 2>" + err.string() + " </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, FileText(err), FileText(out)};
}

fs::path Estimate(const ScratchFolder& scratch, const std::string& folder, const std::string& code) {
  EstimateTables t;
  t.smeta.push_back({.code = 1, .id = 0, .princode = code});
  t.smeta.push_back({.code = 2, .id = 2, .nomer = "1", .name1 = "Раздел"});
  t.AddPosition(3, "1", "Позиция");
  const fs::path path = scratch / folder;
  fs::create_directories(path);
  t.WriteTo(path);
  return path;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class ConvertBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(RANTA2KV_BIN_DIR "/ranta2kv-cli")) GTEST_SKIP() << "ranta2kv-cli is not built";
    fs::create_directories(out_);
  }

  ScratchFolder scratch_{"batch"};
  fs::path out_ = scratch_ / "out";
};

TEST_F(ConvertBatchTest, SecondFolderWithTheSameOutputNameFailsAndKeepsTheFirstFile) {
  const fs::path first = Estimate(scratch_, "first", "ЛС-1"), second = Estimate(scratch_, "second", "ЛС-1");
  CommandRun r = Convert("-j 1 --out " + out_.string() + " " + first.string() + " " + second.string(), scratch_);
  EXPECT_EQ(r.status, 2);
  const fs::path target = out_ / "ЛС-1.XML";
  EXPECT_EQ(r.err, "written: " + target.string() + "\nranta2kv-cli: " + second.string() + ": " + target.string() +
                       " is also the output of " + first.string() + "; this folder's file is not written\n");
  EXPECT_EQ(Names(out_), std::vector<std::string>{"ЛС-1.XML"});
}

// Two at a time, the outcome is that of one at a time in every run: the first
// folder given writes the file, the later ones fail with a line of their own on
// stdout and on stderr, however the jobs' walks happen to end.
TEST_F(ConvertBatchTest, ParallelFoldersWithTheSameOutputNameGiveTheSameOutcomeInEveryRun) {
  // The first is the larger estimate, so that its walk mostly ends after the second's.
  EstimateTables large;
  large.smeta.push_back({.code = 1, .id = 0, .princode = "ЛС-1"});
  large.smeta.push_back({.code = 2, .id = 2, .nomer = "1", .name1 = "Раздел"});
  for (int code = 3; code < 400; ++code) large.AddPosition(code, std::to_string(code), "Позиция");
  const fs::path first = scratch_ / "first";
  fs::create_directories(first);
  large.WriteTo(first);
  const fs::path second = Estimate(scratch_, "second", "ЛС-1"), third = Estimate(scratch_, "third", "ЛС-1");
  const fs::path target = out_ / "ЛС-1.XML";
  const std::string refused = " is also the output of " + first.string() + "; this folder's file is not written\n";
  for (int run = 0; run < 12; ++run) {
    SCOPED_TRACE(run);
    fs::remove(target);
    CommandRun r = Convert("-j 2 --out " + out_.string() + " " + first.string() + " " + second.string() + " " +
                               third.string(),
                           scratch_);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "written: " + target.string() + "\nranta2kv-cli: " + second.string() + ": " + target.string() +
                         refused + "ranta2kv-cli: " + third.string() + ": " + target.string() + refused);
    EXPECT_NE(r.out.find(second.string() + ": " + target.string() + refused), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(third.string() + ": " + target.string() + refused), std::string::npos) << r.out;
    EXPECT_EQ(Names(out_), std::vector<std::string>{"ЛС-1.XML"});
    EXPECT_GT(FileText(target).size(), 20000u) << "the file is not the first folder's";
  }
}

TEST_F(ConvertBatchTest, DistinctNamesAllArriveAndNothingElseIsLeft) {
  const fs::path first = Estimate(scratch_, "first", "ЛС-1"), second = Estimate(scratch_, "second", "ЛС-2"),
                 third = Estimate(scratch_, "third", "ЛС-3");
  CommandRun r = Convert("-j 2 --out " + out_.string() + " " + first.string() + " " + second.string() + " " +
                      third.string(),
                  scratch_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Names(out_), (std::vector<std::string>{"ЛС-1.XML", "ЛС-2.XML", "ЛС-3.XML"}));
}

}  // namespace
}  // namespace ranta2kv::test
