// Tests of both passes when another process changes a table while they read it:
// cut short, overwritten in place, appended to, replaced by a rename, removed,
// while the tables are set up, early in the walk and late in it; and when reads
// of a table fail. A pass fails with the message that names the table and writes
// nothing: the SQL pass too, which reads the files in place while it walks.
// Never a signal, never a wrong file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_faults.h"
#include "tests/support/child_process.h"
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

// Large enough that SMETA and RESTBL are read in blocks during the walk.
constexpr int kPositions = 1100;

// The estimate, with the output name OUT; every test works on a copy.
class Estimate {
 public:
  static const Estimate& Get() {
    static const Estimate estimate;
    return estimate;
  }
  const fs::path& Folder() const { return folder_.Path(); }
  // What the SQL pass writes from the unchanged tables.
  const std::string& OleDbOutput() const {
    if (oledb_output_.empty()) {
      ScratchFolder copy("change-reference");
      fs::copy(folder_.Path(), copy.Path());
      EXPECT_EQ(ShownByPass(PassKind::OleDb, copy.Path()), "converted\n");
      oledb_output_ = ReadFileBytes(copy / kOutputName);
    }
    return oledb_output_;
  }
  static constexpr const char* kOutputName = "OUT.XML";

 private:
  Estimate() {
    gen::GenerateEstimate({.seed = 11, .positions = kPositions, .edge = false}, folder_.Path());
    DbfPatch smeta(folder_ / "SMETA.DBF");
    for (std::size_t n = 1; n <= smeta.RecordCount(); ++n) {
      if (smeta.Get(n, "ID").find_first_not_of(' ') == smeta.Get(n, "ID").size() - 1 &&
          smeta.Get(n, "ID").back() == '0') {
        smeta.Set(n, "PRINCODE", "OUT");
      }
    }
    smeta.Save();
  }
  ScratchFolder folder_{"change-estimate"};
  mutable std::string oledb_output_;
};

enum class Change { Truncate, Overwrite, Append, Rename, Delete };
enum class Moment { BeforeItIsOpened, SetUp, EarlyInTheWalk, LateInTheWalk, WhileItsKeysAreBuilt };

// What another program does to the file, done by a child process.
void Apply(Change change, const fs::path& file) {
  std::string done = RunInChild([&] {
    const auto size = static_cast<off_t>(fs::file_size(file));
    switch (change) {
      case Change::Truncate: return std::string(::truncate(file.c_str(), size / 2) == 0 ? "done" : "failed");
      case Change::Overwrite: {
        int fd = ::open(file.c_str(), O_WRONLY);
        std::string garbage(8192, '\xFF');
        bool written = ::pwrite(fd, garbage.data(), garbage.size(), size / 2) == static_cast<ssize_t>(garbage.size());
        ::close(fd);
        return std::string(written ? "done" : "failed");
      }
      case Change::Append: {
        std::ofstream(file, std::ios::binary | std::ios::app) << std::string(4000, ' ');
        return std::string("done");
      }
      case Change::Rename: {  // the same bytes, but another file
        fs::path other = file.string() + ".new";
        fs::copy_file(file, other);
        fs::rename(other, file);
        return std::string("done");
      }
      case Change::Delete: return std::string(fs::remove(file) ? "done" : "failed");
    }
    return std::string("unknown change");
  });
  ASSERT_EQ(done, "done");
}

// A run host that has the change made at one moment of the run: at the first
// read of another table (the set-up has begun, the table is not yet open), at
// the first read of the table's file (while it is opened), at its second read
// (the first of its records, while the set-up builds its key indexes), or after
// some rows.
class ChangingHost : public RecordingRunHost, public FileFaults {
 public:
  ChangingHost(fs::path folder, fs::path table, Change change, Moment moment)
      : RecordingRunHost(std::move(folder), ','), table_(std::move(table)), change_(change), moment_(moment) {}

  FileFaults* Faults() override { return this; }
  int Before(FileCall call, const fs::path& file, std::size_t&) override {
    if (call == FileCall::Read && file != table_ && moment_ == Moment::BeforeItIsOpened) ChangeOnce();
    if (call == FileCall::Read && file == table_ && moment_ == Moment::SetUp) ChangeOnce();
    if (call == FileCall::Read && file == table_ && moment_ == Moment::WhileItsKeysAreBuilt && ++reads_ == 2) {
      ChangeOnce();
    }
    return 0;
  }
  void StepProgress() override {
    RecordingRunHost::StepProgress();
    if (moment_ == Moment::EarlyInTheWalk && steps == 3) ChangeOnce();
    if (moment_ == Moment::LateInTheWalk && steps == progress_max * 9 / 10) ChangeOnce();
  }
  bool Changed() const { return changed_; }

 private:
  void ChangeOnce() {
    if (changed_) return;
    changed_ = true;
    Apply(change_, table_);
  }
  fs::path table_;
  Change change_;
  Moment moment_;
  bool changed_ = false;
  int reads_ = 0;  // of the table's file
};

// What a pass may show when its table failed with message at that moment: the
// failure of its set-up, or of its walk. Both passes hold the tables from their
// set-up on, read them while they walk and check them after the walk.
bool Expected(PassKind, Moment moment, const std::string& message, const std::string& shown) {
  const bool atSetUp =
      moment == Moment::SetUp || moment == Moment::BeforeItIsOpened || moment == Moment::WhileItsKeysAreBuilt;
  if (shown == "log: Ошибка инициализации : " + message + "\n") return atSetUp;
  return shown == "error: " + message + "\n" && !atSetUp;
}

class TableChangeTest : public ::testing::TestWithParam<std::tuple<Change, Moment, PassKind>> {
 protected:
  void SetUp() override {
    const Estimate& estimate = Estimate::Get();
    fs::copy(estimate.Folder(), folder_.Path());
    // Any later write gives the files another modification time, however coarse
    // the file system's clock.
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_.Path())) {
      fs::last_write_time(entry.path(), fs::last_write_time(entry.path()) - std::chrono::hours(1));
    }
    std::ofstream(folder_ / Estimate::kOutputName) << "earlier";
  }
  // The table each kind of change is tried on: all three are read in other ways.
  static const char* TableOf(Change change) {
    switch (change) {
      case Change::Truncate: case Change::Rename: return "RESTBL.DBF";  // look-ups in ranges
      case Change::Overwrite: return "POSEXT.DBF";                       // look-ups by key, read whole
      default: return "SMETA.DBF";                                        // the walk
    }
  }
  ScratchFolder folder_{"change"};
};

TEST_P(TableChangeTest, FailsNamingTheTableAndWritesNothing) {
  const auto [change, moment, pass] = GetParam();
  const Estimate& estimate = Estimate::Get();
  const fs::path table = folder_ / TableOf(change);
  ChangingHost host(folder_.Path(), table, change, moment);
  const std::string shown = ShownByPass(pass, host);
  ASSERT_TRUE(host.Changed());
  const std::string changed = "Таблица \"" + table.string() + "\" изменилась во время конвертации";
  EXPECT_TRUE(Expected(pass, moment, changed, shown)) << shown;
  const bool written = shown == "converted\n";
  EXPECT_TRUE(ReadFileBytes(folder_ / Estimate::kOutputName) == (written ? estimate.OleDbOutput() : "earlier"));
  EXPECT_EQ(NonTables(folder_.Path()), Names{Estimate::kOutputName});
  EXPECT_EQ(HeldFiles(folder_.Path()), Names{});
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Change, Moment, PassKind>>& info) {
  static const char* changes[] = {"Truncate", "Overwrite", "Append", "Rename", "Delete"};
  static const char* moments[] = {"BeforeItIsOpened", "AtSetUp", "EarlyInTheWalk", "LateInTheWalk",
                                  "WhileItsKeysAreBuilt"};
  return std::string(changes[static_cast<int>(std::get<0>(info.param))]) +
         moments[static_cast<int>(std::get<1>(info.param))] +
         (std::get<2>(info.param) == PassKind::Dbf ? "Dbf" : "OleDb");
}

INSTANTIATE_TEST_SUITE_P(EveryChange, TableChangeTest,
                         ::testing::Combine(::testing::Values(Change::Truncate, Change::Overwrite, Change::Append,
                                                              Change::Rename, Change::Delete),
                                            ::testing::Values(Moment::BeforeItIsOpened, Moment::SetUp,
                                                              Moment::EarlyInTheWalk, Moment::LateInTheWalk),
                                            ::testing::Values(PassKind::Dbf, PassKind::OleDb)),
                         CaseName);

// The tables read in blocks, whose records are read after their header.
INSTANTIATE_TEST_SUITE_P(WhileTheKeysAreBuilt, TableChangeTest,
                         ::testing::Combine(::testing::Values(Change::Truncate, Change::Append, Change::Rename,
                                                              Change::Delete),
                                            ::testing::Values(Moment::WhileItsKeysAreBuilt),
                                            ::testing::Values(PassKind::Dbf, PassKind::OleDb)),
                         CaseName);

// Reads of RESTBL.DBF fail as a failing disk's do, from a moment of the run on.
class FailingReadsHost : public RecordingRunHost, public FileFaults {
 public:
  FailingReadsHost(fs::path folder, fs::path table, Moment moment)
      : RecordingRunHost(std::move(folder), ','), table_(std::move(table)), failing_(moment == Moment::SetUp) {}
  FileFaults* Faults() override { return this; }
  int Before(FileCall call, const fs::path& file, std::size_t&) override {
    return call == FileCall::Read && file == table_ && failing_ ? EIO : 0;
  }
  void StepProgress() override {
    RecordingRunHost::StepProgress();
    if (steps == 3) failing_ = true;
  }

 private:
  fs::path table_;
  bool failing_;
};

class TableReadFaultTest : public TableChangeTest {};

TEST_P(TableReadFaultTest, FailedReadEndsThePassWithTheSystemsMessage) {
  const auto [change, moment, pass] = GetParam();
  const fs::path table = folder_ / "RESTBL.DBF";
  FailingReadsHost host(folder_.Path(), table, moment);
  const std::string shown = ShownByPass(pass, host);
  const std::string failed = "Ошибка чтения таблицы \"" + table.string() + "\": Input/output error";
  EXPECT_TRUE(Expected(pass, moment, failed, shown)) << shown;
  EXPECT_TRUE(ReadFileBytes(folder_ / Estimate::kOutputName) ==
              (shown == "converted\n" ? Estimate::Get().OleDbOutput() : "earlier"));
  EXPECT_EQ(NonTables(folder_.Path()), Names{Estimate::kOutputName});
  EXPECT_EQ(HeldFiles(folder_.Path()), Names{});
}

// The change part of the parameters is not used: reads fail, nothing changes.
INSTANTIATE_TEST_SUITE_P(AtSetUpAndInTheWalk, TableReadFaultTest,
                         ::testing::Combine(::testing::Values(Change::Truncate),
                                            ::testing::Values(Moment::SetUp, Moment::EarlyInTheWalk),
                                            ::testing::Values(PassKind::Dbf, PassKind::OleDb)),
                         CaseName);

}  // namespace
}  // namespace ranta2kv::test
