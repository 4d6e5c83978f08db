// Tests of the output file of the platform layer, on both systems: what it
// leaves in the folder, the leftovers of earlier runs that it removes (ours
// alone, and only those nobody holds), and another writer's file, which it keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_faults.h"
#include "platform/output_file.h"
#include "platform/scratch_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Names Listed(const fs::path& folder) {
  Names names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The file made as a system without files that outlive no run makes it: under a
// name of ours, held while it is written.
class NoNamelessFiles : public FileFaults {
 public:
  int Before(FileCall call, const fs::path&, std::size_t&) override {
    return call == FileCall::Nameless ? EOPNOTSUPP : 0;
  }
};

void WriteAll(OutputFile& file, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    std::size_t written = 0;
    ASSERT_EQ(file.Write(bytes.data() + done, bytes.size() - done, written), 0);
    done += written;
  }
}

void WriteFile(OutputFile& file, const fs::path& target, const std::string& bytes) {
  ASSERT_EQ(file.CreateBeside(target), 0);
  WriteAll(file, bytes);
  ASSERT_EQ(file.Sync(), 0);
  ASSERT_EQ(file.ReplaceTarget(target), 0);
}

TEST(OutputFileTest, ReplacesTheTargetAndLeavesNothingElseWithOrWithoutANameWhileWritten) {
  NoNamelessFiles named;
  for (FileFaults* faults : {static_cast<FileFaults*>(nullptr), static_cast<FileFaults*>(&named)}) {
    ScratchFolder folder("output");
    std::ofstream(folder / "E.XML") << "earlier";
    const std::string bytes(300000, 'x');
    {
      OutputFile file(faults);
      WriteFile(file, folder / "E.XML", bytes);
      EXPECT_TRUE(file.TemporaryPath().empty());
    }
    EXPECT_TRUE(ReadFileBytes(folder / "E.XML") == bytes);
    EXPECT_EQ(Listed(folder.Path()), Names{"E.XML"});
    {
      OutputFile removed(faults);  // neither replaced nor named afterwards
      ASSERT_EQ(removed.CreateBeside(folder / "E.XML"), 0);
      WriteAll(removed, "partial");
    }
    EXPECT_EQ(Listed(folder.Path()), Names{"E.XML"});
    EXPECT_TRUE(ReadFileBytes(folder / "E.XML") == bytes);
  }
}

TEST(OutputFileTest, LeftoversOfOursAreRemovedByTheNextOutputOrScratchFileAndNothingElseIs) {
  const Names users = {".ranta2kv-ABCDEF0123456789.tmp", ".ranta2kv-0123456789abcdef.tmp.bak",
                       ".ranta2kv-0123456789abcdeg.tmp", ".ranta2kv-0123456789abcde.tmp",
                       ".ranta2kv-2895732-0",            "ranta2kv-0123456789abcdef.tmp"};
  for (bool scratch : {false, true}) {
    ScratchFolder folder("leftovers");
    for (const std::string& name : users) std::ofstream(folder / name) << "the user's";
    std::ofstream(folder / ".ranta2kv-0123456789abcdef.tmp") << "left by a power cut";
    std::ofstream(folder / ".ranta2kv-fedcba9876543210.tmp") << "left by a killed run";
    fs::create_directory(folder / ".ranta2kv-00000000ffffffff.tmp");  // a folder under our name
    if (scratch) {
      ScratchFile file;
      ASSERT_EQ(file.CreateIn(folder.Path()), 0);
    } else {
      OutputFile file;
      ASSERT_EQ(file.CreateBeside(folder / "E.XML"), 0);
    }
    Names kept = users;
    kept.push_back(".ranta2kv-00000000ffffffff.tmp");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(Listed(folder.Path()), kept) << (scratch ? "scratch file" : "output file");
    for (const std::string& name : users) EXPECT_EQ(ReadFileBytes(folder / name), "the user's") << name;
  }
}

TEST(OutputFileTest, AnotherWritersFileIsKeptAndStillReplacesItsTarget) {
  NoNamelessFiles named;
  for (FileFaults* faults : {static_cast<FileFaults*>(nullptr), static_cast<FileFaults*>(&named)}) {
    ScratchFolder folder("writers");
    OutputFile first(faults);
    ASSERT_EQ(first.CreateBeside(folder / "A.XML"), 0);
    WriteAll(first, "first half, ");
    {
      OutputFile second(faults);
      WriteFile(second, folder / "B.XML", "the other file");
      ScratchFile scratch;
      ASSERT_EQ(scratch.CreateIn(folder.Path()), 0);
    }
    WriteAll(first, "second half");
    ASSERT_EQ(first.Sync(), 0);
    ASSERT_EQ(first.ReplaceTarget(folder / "A.XML"), 0);
    EXPECT_EQ(ReadFileBytes(folder / "A.XML"), "first half, second half");
    EXPECT_EQ(ReadFileBytes(folder / "B.XML"), "the other file");
    EXPECT_EQ(Listed(folder.Path()), (Names{"A.XML", "B.XML"}));
  }
}

}  // namespace
}  // namespace ranta2kv::test
