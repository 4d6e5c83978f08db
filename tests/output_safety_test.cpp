// Tests of the output file of both passes when writing it goes wrong: a write
// that fails part-way, a folder that cannot be written, an output name with a
// forbidden character, too long, or naming a folder or a link, and a scratch
// file of settled positions that cannot be made, written or read. Nothing
// partial is ever left under the name, and an earlier output file stays as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_faults.h"
#include "tests/support/child_process.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/dbf_patch.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pass_outcome.h"
#include "tests/support/recording_run_host.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// The record of the estimate's header row (ID 0).
std::size_t HeaderRecord(const DbfPatch& smeta) {
  for (std::size_t n = 1; n <= smeta.RecordCount(); ++n) {
    if (smeta.Get(n, "ID").find_first_not_of(' ') == smeta.Get(n, "ID").size() - 1 &&
        smeta.Get(n, "ID").back() == '0') {
      return n;
    }
  }
  throw std::runtime_error("no header row");
}

class OutputSafetyTest : public ::testing::TestWithParam<PassKind> {
 protected:
  void SetUp() override {
    gen::GenerateEstimate({.seed = 7, .positions = 30, .edge = false}, folder_.Path());
    SetOutputName("OUT");
  }
  // PRINCODE of the header row (bytes of code page 866).
  void SetOutputName(const std::string& name) {
    DbfPatch smeta(folder_ / "SMETA.DBF");
    smeta.Set(HeaderRecord(smeta), "PRINCODE", name);
    smeta.Save();
  }
  std::string Shown() { return ShownByPass(GetParam(), folder_.Path()); }
  // Converts once and returns the bytes of the file written.
  std::string EarlierOutput() {
    EXPECT_EQ(Shown(), "converted\n");
    return ReadFileBytes(target_);
  }
  std::string Failure(const std::string& what, const std::string& reason) const {
    return "error: " + what + " \"" + target_.string() + "\": " + reason + "\n";
  }

  ScratchFolder folder_{"output"};
  fs::path target_ = folder_ / "OUT.XML";
};

TEST_P(OutputSafetyTest, FailingWriteKeepsTheEarlierFile) {
  const std::string earlier = EarlierOutput();
  SetOutputName("OUT");  // the same name; the run differs only in how writing ends
  std::string shown = RunInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};  // writes beyond 4 KiB fail as on a full disk
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return Shown();
  });
  EXPECT_EQ(shown, Failure("Ошибка записи файла", "File too large"));
  EXPECT_TRUE(ReadFileBytes(target_) == earlier);
  EXPECT_EQ(NonTables(folder_.Path()), Names{"OUT.XML"});
  EXPECT_EQ(HeldFiles(folder_.Path()), Names{});
}

TEST_P(OutputSafetyTest, UnwritableFolderKeepsTheEarlierFile) {
  const std::string earlier = EarlierOutput();
  fs::permissions(folder_.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  std::string shown = RunUnprivileged([&] { return Shown(); });
  fs::permissions(folder_.Path(), fs::perms::owner_all);
  if (shown == kNoUnprivilegedUser) GTEST_SKIP() << "root cannot give up its rights here";
  EXPECT_EQ(shown, Failure("Не удалось создать файл", "Permission denied"));
  EXPECT_TRUE(ReadFileBytes(target_) == earlier);
  EXPECT_EQ(NonTables(folder_.Path()), Names{"OUT.XML"});
}

TEST_P(OutputSafetyTest, FailedPassKeepsTheEarlierFile) {
  const std::string earlier = EarlierOutput();
  std::string smeta = ReadFileBytes(folder_ / "SMETA.DBF");
  smeta.replace(smeta.find("NOMER"), 5, "NOMEX");  // a field every chapter row reads
  std::ofstream(folder_ / "SMETA.DBF", std::ios::binary | std::ios::trunc) << smeta;
  std::string shown = Shown();
  EXPECT_EQ(shown, GetParam() == PassKind::Dbf ? "error: DescriptTable: Field 'NOMER' not found\n"
                                                : "error: Field 'NOMER' not found\n");
  EXPECT_TRUE(ReadFileBytes(target_) == earlier);
  EXPECT_EQ(NonTables(folder_.Path()), Names{"OUT.XML"});
  EXPECT_EQ(HeldFiles(folder_.Path()), Names{});
}

TEST_P(OutputSafetyTest, ForbiddenCharacterInTheNameWritesNothing) {
  for (std::string c : {"/", "\\", ":", "*", "?", "\"", "<", ">", "|", "\x01", "\t", "\x1F"}) {
    SetOutputName("A" + c + "B");
    EXPECT_EQ(Shown(), "error: Недопустимое имя файла \"A" + c + "B.XML\"\n") << c;
    EXPECT_EQ(NonTables(folder_.Path()), Names{}) << c;
    EXPECT_EQ(HeldFiles(folder_.Path()), Names{}) << c;
  }
}

TEST_P(OutputSafetyTest, NameOfAnExistingFolderFailsAndKeepsTheFolder) {
  fs::create_directory(target_);
  std::ofstream(target_ / "inside.txt") << "kept";
  EXPECT_EQ(Shown(), Failure("Не удалось заменить файл", "Is a directory"));
  EXPECT_EQ(ReadFileBytes(target_ / "inside.txt"), "kept");
  EXPECT_EQ(NonTables(folder_.Path()), Names{"OUT.XML"});
}

TEST_P(OutputSafetyTest, NameOfALinkReplacesTheLinkNotWhatItPointsAt) {
  ScratchFolder elsewhere("elsewhere");
  std::ofstream(elsewhere / "victim.txt") << "untouched";
  fs::create_symlink(elsewhere / "victim.txt", target_);
  EXPECT_EQ(Shown(), "converted\n");
  EXPECT_EQ(ReadFileBytes(elsewhere / "victim.txt"), "untouched");
  EXPECT_FALSE(fs::is_symlink(target_));
  EXPECT_EQ(ReadFileBytes(target_).rfind("<?xml", 0), 0u);
}

TEST_P(OutputSafetyTest, NameTooLongForTheFileSystemFails) {
  DbfBuilder smeta;  // a header row whose PRINCODE is wider than any file name
  smeta.Field("CODE", 'N', 10).Field("ID", 'N', 2).Field("UDAL", 'N', 1).Field("PRINCODE", 'C', 300)
      .Field("OSNOV", 'C', 10).Field("ZAK", 'C', 10).Field("POD", 'C', 10).Field("NAME1", 'C', 10)
      .Field("NOMER", 'C', 10).Field("NAME", 'C', 10);
  smeta.Record({"1", "0", "0", std::string(300, 'L'), "", "", "", "", "", ""});
  smeta.WriteTo(folder_ / "SMETA.DBF");
  target_ = folder_ / (std::string(300, 'L') + ".XML");
  EXPECT_EQ(Shown(), Failure("Не удалось заменить файл", "File name too long"));
  EXPECT_EQ(NonTables(folder_.Path()), Names{});
}

// A run host whose scratch file fails at one call, and that notes whether the
// output file had been created by then.
class FailingScratchHost : public RecordingRunHost, public FileFaults {
 public:
  FailingScratchHost(fs::path folder, FileCall failing) : RecordingRunHost(std::move(folder), ','), failing_(failing) {}
  FileFaults* Faults() override { return this; }
  int Before(FileCall call, const fs::path&, std::size_t&) override {
    if (call == FileCall::Create) output_created = true;
    if (call != failing_) return 0;
    failed_before_output = !output_created;
    return call == FileCall::WriteScratch ? ENOSPC : call == FileCall::ReadScratch ? EIO : EACCES;
  }
  bool output_created = false, failed_before_output = false;

 private:
  FileCall failing_;
};

// Enough positions for their settled bytes to outgrow memory and go to the disk.
void GenerateLargeEstimate(const fs::path& folder) {
  gen::GenerateEstimate({.seed = 7, .positions = 2000, .edge = false}, folder);
  DbfPatch smeta(folder / "SMETA.DBF");
  smeta.Set(HeaderRecord(smeta), "PRINCODE", "OUT");
  smeta.Save();
}

TEST_P(OutputSafetyTest, FailingScratchFileFailsTheRunAndKeepsTheEarlierFile) {
  GenerateLargeEstimate(folder_.Path());
  const std::string earlier = EarlierOutput();
  const std::string folder = "\"" + folder_.Path().string() + "\": ";
  const struct {
    FileCall call;
    std::string shown;
    bool inTheWalk;
  } failures[] = {
      {FileCall::CreateScratch, "error: Не удалось создать временный файл в папке " + folder + "Permission denied\n", true},
      {FileCall::WriteScratch, "error: Ошибка записи временного файла в папке " + folder + "No space left on device\n", true},
      {FileCall::ReadScratch, "error: Ошибка чтения временного файла в папке " + folder + "Input/output error\n", false},
  };
  for (const auto& failure : failures) {
    FailingScratchHost host(folder_.Path(), failure.call);
    EXPECT_EQ(ShownByPass(GetParam(), host), failure.shown);
    EXPECT_EQ(host.failed_before_output, failure.inTheWalk) << failure.shown;
    EXPECT_TRUE(ReadFileBytes(target_) == earlier) << failure.shown;
    EXPECT_EQ(NonTables(folder_.Path()), Names{"OUT.XML"}) << failure.shown;
    EXPECT_EQ(HeldFiles(folder_.Path()), Names{}) << failure.shown;
  }
}

TEST_P(OutputSafetyTest, FullDiskUnderTheScratchFileKeepsTheEarlierFile) {
  GenerateLargeEstimate(folder_.Path());
  const std::string earlier = EarlierOutput();
  std::string shown = RunInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{300000, 300000};  // the first write of settled bytes is cut short, the next fails
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return Shown();
  });
  EXPECT_EQ(shown, "error: Ошибка записи временного файла в папке \"" + folder_.Path().string() + "\": File too large\n");
  EXPECT_TRUE(ReadFileBytes(target_) == earlier);
  EXPECT_EQ(NonTables(folder_.Path()), Names{"OUT.XML"});
}

INSTANTIATE_TEST_SUITE_P(BothPasses, OutputSafetyTest, ::testing::Values(PassKind::Dbf, PassKind::OleDb),
                         [](const auto& info) { return info.param == PassKind::Dbf ? "Dbf" : "OleDb"; });

}  // namespace
}  // namespace ranta2kv::test
