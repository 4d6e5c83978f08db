// Tests of both conversion passes on an estimate one of whose tables is damaged,
// missing its place, or held by someone else: the exact line or error each pass
// shows, no output file, every table released afterwards, and a good run on
// the same folder right after.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
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

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void PutWord(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

// Offset of the descriptor of a field in a dBase III header.
std::size_t DescriptorOf(const std::string& bytes, const std::string& name) {
  for (std::size_t at = 32; at + 32 <= bytes.size() && bytes[at] != 0x0D; at += 32) {
    if (bytes.compare(at, name.size(), name) == 0 && bytes[at + name.size()] == '\0') return at;
  }
  throw std::runtime_error("no field " + name);
}

const std::string kInit = "Ошибка инициализации : ";
const std::string kNotFound = "log: Ошибка инициализации : Не найдены таблицы данных\n";
const std::string kMissing = "log: Ошибка инициализации : не найдены таблицы данных\n";

std::string Damaged(const std::string& reason) {
  return "TQXSmartDBF.InternalOpen: File \"{file}\" is damaged: " + reason;
}
std::string SetUpLine(const std::string& message) { return "log: " + kInit + message + "\n"; }
std::string ErrorLine(const std::string& message) { return "error: " + message + "\n"; }

const std::string kOpenError = "TQXSmartDBF.InternalOpen: Open error \"{file}\"";

// One damaged table: which file, how it is damaged, and what each pass shows
// ("{file}" stands for the file's path).
struct MalformedCase {
  const char* name;
  const char* table;
  std::function<void(const fs::path& file, std::string generated)> damage;
  std::string direct;
  std::string sql;
};

// The generated table's bytes with an edit, written back.
auto Edited(std::function<void(std::string&)> edit) {
  return [edit](const fs::path& file, std::string bytes) {
    edit(bytes);
    WriteBytes(file, bytes);
  };
}
auto Replaced(std::function<void(const fs::path&)> make) {
  return [make](const fs::path& file, const std::string&) {
    fs::remove(file);
    make(file);
  };
}

std::vector<MalformedCase> Cases() {
  const std::string shortHeader = Damaged("the file is shorter than its header");
  return {
      {"ZeroByteFile", "SMETA.DBF", Edited([](std::string& b) { b.clear(); }),
       SetUpLine(shortHeader), SetUpLine(shortHeader)},
      {"TruncatedHeader", "SMETA.DBF", Edited([](std::string& b) { b.resize(20); }),
       SetUpLine(shortHeader), SetUpLine(shortHeader)},
      {"TruncatedDescriptorList", "SMETA.DBF", Edited([](std::string& b) { b.resize(32 + 3 * 32 + 7); }),
       SetUpLine(Damaged("the field descriptors run past the end of the file")),
       SetUpLine(Damaged("the field descriptors run past the end of the file"))},
      {"NoTerminator", "SMETA.DBF", Edited([](std::string& b) { b[b.find('\x0D', 32)] = 'X'; }),
       SetUpLine(Damaged("the field descriptors run past the header length")),
       SetUpLine(Damaged("the field descriptors run past the header length"))},
      {"HeaderLengthBeyondTheFile", "SMETA.DBF",
       Edited([](std::string& b) { PutWord(b, 8, static_cast<std::uint16_t>(b.size() + 100)); }),
       SetUpLine(Damaged("the file ends before its header length")),
       SetUpLine(Damaged("the file ends before its header length"))},
      {"HeaderLengthOfItsMaximum", "SMETA.DBF", Edited([](std::string& b) { PutWord(b, 8, 0xFFFF); }),
       SetUpLine(Damaged("the file ends before its header length")),
       SetUpLine(Damaged("the file ends before its header length"))},
      {"RecordLengthZero", "SMETA.DBF", Edited([](std::string& b) { PutWord(b, 10, 0); }),
       SetUpLine(Damaged("the record length is 0")), SetUpLine(Damaged("the record length is 0"))},
      {"RecordLengthTooShortForItsFields", "SMETA.DBF", Edited([](std::string& b) { PutWord(b, 10, 8); }),
       SetUpLine(Damaged("field 'CODE' ends beyond the record length")),
       SetUpLine(Damaged("field 'CODE' ends beyond the record length"))},
      {"RecordLongerThanABlock", "SMETA.DBF", Edited([](std::string& b) { PutWord(b, 10, 5000); }),
       SetUpLine("TQXSmartDBF.InternalOpen: BufferSize too small!"),
       SetUpLine("TQXSmartDBF.InternalOpen: BufferSize too small!")},
      {"UnknownVersionByte", "SMETA.DBF", Edited([](std::string& b) { b[0] = 0x02; }),
       SetUpLine("TQXSmartDBF.InternalOpen: File \"{file}\" is not DBF file"),
       SetUpLine("TQXSmartDBF.InternalOpen: File \"{file}\" is not DBF file")},
      {"Dbase7HeaderCutShort", "SMETA.DBF",
       Edited([](std::string& b) {
         b[0] = 0x04;
         b.resize(60);
       }),
       SetUpLine(shortHeader), SetUpLine(shortHeader)},
      {"TextWidthWithAWildHighByte", "SMETA.DBF",
       Edited([](std::string& b) { b[DescriptorOf(b, "PRINCODE") + 17] = '\xC8'; }),
       SetUpLine(Damaged("field 'PRINCODE' ends beyond the record length")),
       SetUpLine(Damaged("field 'PRINCODE' ends beyond the record length"))},
      {"FieldNameWithOddBytes", "SMETA.DBF",
       Edited([](std::string& b) { b.replace(DescriptorOf(b, "NOMER"), 7, "N\"O;\xFF\x01R"); }),
       ErrorLine("DescriptTable: Field 'NOMER' not found"), ErrorLine("Field 'NOMER' not found")},
      {"ActsDamaged", "ACTS.DBF", Edited([](std::string& b) { PutWord(b, 10, 0); }),
       ErrorLine(Damaged("the record length is 0")), SetUpLine(Damaged("the record length is 0"))},
      {"ParamsDamaged", "PARAMS.DBF", Edited([](std::string& b) { b.resize(40); }),
       SetUpLine(Damaged("the field descriptors run past the end of the file")),
       SetUpLine(Damaged("the field descriptors run past the end of the file"))},
      {"DirectoryNamedAsTheTable", "SMETA.DBF", Replaced([](const fs::path& f) { fs::create_directory(f); }),
       SetUpLine(kOpenError), kNotFound},
      {"FifoNamedAsTheTable", "SMETA.DBF", Replaced([](const fs::path& f) { ::mkfifo(f.c_str(), 0644); }),
       SetUpLine(kOpenError), kNotFound},
      {"DeviceNamedAsTheTable", "SMETA.DBF",
       Replaced([](const fs::path& f) { fs::create_symlink("/dev/zero", f); }), SetUpLine(kOpenError), kNotFound},
      {"DanglingLinkNamedAsTheTable", "SMETA.DBF",
       Replaced([](const fs::path& f) { fs::create_symlink(f.parent_path() / "gone.dbf", f); }), kMissing,
       kNotFound},
  };
}

class MalformedTableTest : public ::testing::TestWithParam<MalformedCase> {
 protected:
  void SetUp() override {
    gen::GenerateEstimate({.seed = 5, .positions = 4, .edge = false}, folder_.Path());
    file_ = folder_ / GetParam().table;
    generated_ = ReadFileBytes(file_);
  }
  void Damage() { GetParam().damage(file_, generated_); }
  std::string Expected(std::string text) const {
    for (std::size_t at; (at = text.find("{file}")) != std::string::npos;) text.replace(at, 6, file_.string());
    return text;
  }
  void Restore() {
    fs::remove(file_);
    WriteBytes(file_, generated_);
  }

  ScratchFolder folder_{"malformed"};
  fs::path file_;
  std::string generated_;
};

TEST_P(MalformedTableTest, EachPassShowsItsMessageWritesNothingAndReleasesTheTables) {
  for (PassKind pass : {PassKind::Dbf, PassKind::OleDb}) {
    SCOPED_TRACE(PassName(pass));
    Damage();
    // A child, so that a pass that hangs on the file fails the test instead.
    std::string shown = RunInChild([&] { return ShownByPass(pass, folder_.Path()); }, 30);
    ASSERT_EQ(shown, Expected(pass == PassKind::Dbf ? GetParam().direct : GetParam().sql));
    EXPECT_EQ(ShownByPass(pass, folder_.Path()), shown) << "in this process as in the child";
    EXPECT_EQ(NonTables(folder_.Path()), std::vector<std::string>{});
    EXPECT_EQ(HeldFiles(folder_.Path()), std::vector<std::string>{});
    Restore();
    EXPECT_EQ(ShownByPass(pass, folder_.Path()), "converted\n") << "right after, with the table mended";
    for (const std::string& name : NonTables(folder_.Path())) fs::remove(folder_ / name);
  }
}

INSTANTIATE_TEST_SUITE_P(Damaged, MalformedTableTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Tables that are odd but readable: both passes convert them.
class ReadableOddTableTest : public MalformedTableTest {};

TEST_P(ReadableOddTableTest, BothPassesConvert) {
  Damage();
  EXPECT_EQ(ShownByPass(PassKind::Dbf, folder_.Path()), "converted\n");
  EXPECT_EQ(ShownByPass(PassKind::OleDb, folder_.Path()), "converted\n");
  EXPECT_EQ(HeldFiles(folder_.Path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Odd, ReadableOddTableTest,
    ::testing::Values(
        // The count in the header is not trusted; the file size gives 5 records.
        MalformedCase{"HeaderClaimingBillionsOfRecords", "SMETA.DBF",
                      Edited([](std::string& b) { b.replace(4, 4, "\xFF\xFF\xFF\xFF"); }), "", ""},
        // Only whole records count.
        MalformedCase{"LastRecordCutInHalf", "RESTBL.DBF",
                      Edited([](std::string& b) { b.resize(b.size() - 60); }), "", ""},
        // Visual FoxPro fields that may hold null, but no null-flags field: none is null.
        MalformedCase{"VisualFoxProNullFlagsFieldMissing", "POSEXT.DBF",
                      Edited([](std::string& b) {
                        b[0] = 0x30;
                        for (std::size_t at = 32; b[at] != 0x0D; at += 32) b[at + 18] = 0x02;
                      }),
                      "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A table that another program holds open cannot be read; the pass says so.
TEST(HeldTableTest, TableLockedByAnotherProcess) {
  ScratchFolder folder("held");
  gen::GenerateEstimate({.seed = 5, .positions = 2, .edge = false}, folder.Path());
  const fs::path file = folder / "SMETA.DBF";
  const std::string expected = SetUpLine("TQXSmartDBF.InternalOpen: Open error \"" + file.string() + "\"");
  {
    LockingProcess other(file);
    ASSERT_TRUE(other.Holding());
    EXPECT_EQ(ShownByPass(PassKind::Dbf, folder.Path()), expected);
    EXPECT_EQ(ShownByPass(PassKind::OleDb, folder.Path()), expected);
    EXPECT_EQ(NonTables(folder.Path()), std::vector<std::string>{});
  }
  EXPECT_EQ(ShownByPass(PassKind::Dbf, folder.Path()), "converted\n") << "once the other program let go";
}

TEST(HeldTableTest, TableWithoutReadPermission) {
  ScratchFolder folder("unreadable");
  gen::GenerateEstimate({.seed = 5, .positions = 2, .edge = false}, folder.Path());
  const fs::path file = folder / "POSEXT.DBF";
  fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(file, fs::perms::none);
  const std::string expected = SetUpLine("TQXSmartDBF.InternalOpen: Open error \"" + file.string() + "\"");
  for (PassKind pass : {PassKind::Dbf, PassKind::OleDb}) {
    std::string shown = RunUnprivileged([&] { return ShownByPass(pass, folder.Path()); });
    if (shown == kNoUnprivilegedUser) GTEST_SKIP() << "root cannot give up its rights here";
    EXPECT_EQ(shown, expected);
  }
  EXPECT_EQ(NonTables(folder.Path()), std::vector<std::string>{});
}

// The bytes of address space this process has mapped now.
std::size_t MappedBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Headers that claim billions of records, and the longest header length there
// is (the tables padded to it), do not make either pass reserve memory by what
// they claim: both convert in a child whose address space may grow by 256 MiB.
TEST(ResourceUseTest, ClaimsInTheHeaderCostNoMemory) {
  if (UnderAddressSanitizer()) GTEST_SKIP() << "AddressSanitizer's shadow memory needs more address space";
  ScratchFolder folder("claims");
  gen::GenerateEstimate({.seed = 5, .positions = 6, .edge = false}, folder.Path());
  for (const char* table : {"SMETA.DBF", "POSTOOLS.DBF", "POSEXT.DBF", "RESTBL.DBF", "EXECUTE.DBF", "ACTS.DBF",
                            "PARAMS.DBF"}) {
    std::string bytes = ReadFileBytes(folder / table);
    bytes.replace(4, 4, "\xFF\xFF\xFF\x7F");
    if (std::string(table) == "ACTS.DBF") {  // records moved behind a header of 65535 bytes
      const std::size_t start = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
      bytes.insert(start, 0xFFFF - start, ' ');
      PutWord(bytes, 8, 0xFFFF);
    }
    WriteBytes(folder / table, bytes);
  }
  const std::size_t limit = MappedBytes() + (std::size_t{256} << 20);
  for (PassKind pass : {PassKind::Dbf, PassKind::OleDb}) {
    std::string shown = RunInChild([&] {
      rlimit space{limit, limit};
      ::setrlimit(RLIMIT_AS, &space);
      return ShownByPass(pass, folder.Path());
    });
    EXPECT_EQ(shown, "converted\n") << PassName(pass);
  }
}

}  // namespace
}  // namespace ranta2kv::test
