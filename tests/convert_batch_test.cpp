// Tests of `ranta2kv-cli convert` over several folders into one --out folder: two
// estimates that name the same output file keep the first and fail the other
// instead of one silently replacing the other, and nothing is left behind.
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
  std::string err;
};

CommandRun Convert(const std::string& arguments, const ScratchFolder& scratch) {
  const fs::path err = scratch / "stderr.txt";
  const std::string command = "env LC_ALL=C.UTF-8 " RANTA2KV_BIN_DIR "/ranta2kv-cli convert --source dbf " +
                              arguments + " >/dev/null 2>" + err.string() + " </dev/null";
  const int raw = std::system(command.c_str());
  std::ostringstream text;
  text << std::ifstream(err).rdbuf();
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
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

TEST_F(ConvertBatchTest, ParallelFoldersWithTheSameOutputNameWriteOneFile) {
  const fs::path first = Estimate(scratch_, "first", "ЛС-1"), second = Estimate(scratch_, "second", "ЛС-1");
  CommandRun r = Convert("-j 2 --out " + out_.string() + " " + first.string() + " " + second.string(), scratch_);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(" is also the output of "), std::string::npos) << r.err;
  EXPECT_EQ(Names(out_), std::vector<std::string>{"ЛС-1.XML"});
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
