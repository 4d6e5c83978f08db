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
const std::string kNotFound = "log: Ошибка инициализации : Не найдены таблицы данных\nlog: Нет файла: SMETA.DBF\n";
const std::string kMissing = "log: Ошибка инициализации : не найдены таблицы данных\nlog: Нет файла: SMETA.DBF\n";

std::string Damaged(const std::string& reason) {
  return "TQXSmartDBF.InternalOpen: File \"{file}\" is damaged: " + reason;
}
std::string SetUpLine(const std::string& message) { return "log: " + kInit + message + "\n"; }
// The SQL source's set-up line for a table its reader cannot read, the reason below.
std::string UnreadableLines(const std::string& reason) {
  return "log: " + kInit + "Не удалось прочитать таблицу {name}:\nlog: " + reason + "\n";
}
// The set-up lines of a table holding fewer whole records than its header counts.
std::string ShortLines(const std::string& table, const std::string& counts) {
  return "log: " + kInit + "Файл " + table + " поврежден:\nlog: записей в заголовке " + counts + "\n";
}
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
       SetUpLine(shortHeader), UnreadableLines(shortHeader)},
      {"TruncatedHeader", "SMETA.DBF", Edited([](std::string& b) { b.resize(20); }),
       SetUpLine(shortHeader), UnreadableLines(shortHeader)},
      {"TruncatedDescriptorList", "SMETA.DBF", Edited([](std::string& b) { b.resize(32 + 3 * 32 + 7); }),
       SetUpLine(Damaged("the field descriptors run past the end of the file")),
       UnreadableLines(Damaged("the field descriptors run past the end of the file"))},
      {"NoTerminator", "SMETA.DBF", Edited([](std::string& b) { b[b.find('\x0D', 32)] = 'X'; }),
       SetUpLine(Damaged("the field descriptors run past the header length")),
       UnreadableLines(Damaged("the field descriptors run past the header length"))},
      {"HeaderLengthBeyondTheFile", "SMETA.DBF",
       Edited([](std::string& b) { PutWord(b, 8, static_cast<std::uint16_t>(b.size() + 100)); }),
       SetUpLine(Damaged("the file ends before its header length")),
       UnreadableLines(Damaged("the file ends before its header length"))},
      {"HeaderLengthOfItsMaximum", "SMETA.DBF", Edited([](std::string& b) { PutWord(b, 8, 0xFFFF); }),
       SetUpLine(Damaged("the file ends before its header length")),
       UnreadableLines(Damaged("the file ends before its header length"))},
      {"RecordLengthZero", "SMETA.DBF", Edited([](std::string& b) { PutWord(b, 10, 0); }),
       SetUpLine(Damaged("the record length is 0")), UnreadableLines(Damaged("the record length is 0"))},
      {"RecordLengthTooShortForItsFields", "SMETA.DBF", Edited([](std::string& b) { PutWord(b, 10, 8); }),
       SetUpLine(Damaged("field 'CODE' ends beyond the record length")),
       UnreadableLines(Damaged("field 'CODE' ends beyond the record length"))},
      {"RecordLongerThanABlock", "SMETA.DBF", Edited([](std::string& b) { PutWord(b, 10, 5000); }),
       SetUpLine("TQXSmartDBF.InternalOpen: BufferSize too small!"),
       UnreadableLines("TQXSmartDBF.InternalOpen: BufferSize too small!")},
      {"UnknownVersionByte", "SMETA.DBF", Edited([](std::string& b) { b[0] = 0x02; }),
       SetUpLine("TQXSmartDBF.InternalOpen: File \"{file}\" is not DBF file"),
       UnreadableLines("TQXSmartDBF.InternalOpen: File \"{file}\" is not DBF file")},
      {"Dbase7HeaderCutShort", "SMETA.DBF",
       Edited([](std::string& b) {
         b[0] = 0x04;
         b.resize(60);
       }),
       SetUpLine(shortHeader), UnreadableLines(shortHeader)},
      {"TextWidthWithAWildHighByte", "SMETA.DBF",
       Edited([](std::string& b) { b[DescriptorOf(b, "PRINCODE") + 17] = '\xC8'; }),
       SetUpLine(Damaged("field 'PRINCODE' ends beyond the record length")),
       UnreadableLines(Damaged("field 'PRINCODE' ends beyond the record length"))},
      {"FieldNameWithOddBytes", "SMETA.DBF",
       Edited([](std::string& b) { b.replace(DescriptorOf(b, "NOMER"), 7, "N\"O;\xFF\x01R"); }),
       ErrorLine("DescriptTable: Field 'NOMER' not found"), ErrorLine("Field 'NOMER' not found")},
      {"ActsDamaged", "ACTS.DBF", Edited([](std::string& b) { PutWord(b, 10, 0); }),
       SetUpLine(Damaged("the record length is 0")), UnreadableLines(Damaged("the record length is 0"))},
      {"ParamsDamaged", "PARAMS.DBF", Edited([](std::string& b) { b.resize(40); }),
       SetUpLine(Damaged("the field descriptors run past the end of the file")),
       UnreadableLines(Damaged("the field descriptors run past the end of the file"))},
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
    for (std::size_t at; (at = text.find("{name}")) != std::string::npos;) text.replace(at, 6, GetParam().table);
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
        // A header not brought up to date: the records behind its count are real.
        MalformedCase{"MoreRecordsThanTheHeaderCounts", "RESTBL.DBF",
                      Edited([](std::string& b) { b.replace(4, 4, std::string("\x01\0\0\0", 4)); }), "", ""},
        // The end-of-file byte after the last record is no part of a record.
        MalformedCase{"NoEndOfFileByte", "RESTBL.DBF", Edited([](std::string& b) { b.pop_back(); }), "", ""},
        // Visual FoxPro fields that may hold null, but no null-flags field: none is null.
        MalformedCase{"VisualFoxProNullFlagsFieldMissing", "POSEXT.DBF",
                      Edited([](std::string& b) {
                        b[0] = 0x30;
                        for (std::size_t at = 32; b[at] != 0x0D; at += 32) b[at + 18] = 0x02;
                      }),
                      "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

std::uint32_t LongAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// A table that holds fewer records than its header counts (a copy broken off)
// fails the set-up of either pass with lines that name it and both counts: cut
// after a whole record, inside one, and down to its header alone.
TEST(CutShortTableTest, EveryTableFailsTheSetUpOfEitherPass) {
  ScratchFolder folder("cut-short");
  gen::GenerateEstimate({.seed = 5, .positions = 6, .edge = false}, folder.Path());
  for (const char* table : {"SMETA.DBF", "POSTOOLS.DBF", "POSEXT.DBF", "RESTBL.DBF", "EXECUTE.DBF", "ACTS.DBF",
                            "PARAMS.DBF"}) {
    const fs::path file = folder / table;
    const std::string whole = ReadFileBytes(file);
    const std::uint32_t count = LongAt(whole, 4);
    const std::size_t start = static_cast<unsigned char>(whole[8]) | static_cast<unsigned char>(whole[9]) << 8;
    const std::size_t length = static_cast<unsigned char>(whole[10]) | static_cast<unsigned char>(whole[11]) << 8;
    ASSERT_GE(count, 2u) << table;
    struct Cut {
      const char* name;
      std::size_t bytes;
      std::string counts;
    };
    const std::string header = std::to_string(count) + ", в файле ";
    for (const Cut& cut : {Cut{"after a whole record", start + (count / 2) * length, header + std::to_string(count / 2)},
                           Cut{"inside a record", start + (count - 1) * length + length / 2,
                               header + std::to_string(count - 1) + "\nlog: в конце файла обрывок записи"},
                           Cut{"to its header", start, header + "0"}}) {
      SCOPED_TRACE(std::string(table) + " cut " + cut.name);
      WriteBytes(file, whole.substr(0, cut.bytes));
      for (PassKind pass : {PassKind::Dbf, PassKind::OleDb}) {
        EXPECT_EQ(ShownByPass(pass, folder.Path()), ShortLines(table, cut.counts)) << PassName(pass);
        EXPECT_EQ(NonTables(folder.Path()), std::vector<std::string>{});
      }
    }
    WriteBytes(file, whole);
  }
}

// A table that another program holds open cannot be read; the pass says so.
TEST(HeldTableTest, TableLockedByAnotherProcess) {
  ScratchFolder folder("held");
  gen::GenerateEstimate({.seed = 5, .positions = 2, .edge = false}, folder.Path());
  const fs::path file = folder / "SMETA.DBF";
  const std::string reason = "TQXSmartDBF.InternalOpen: Open error \"" + file.string() + "\"";
  {
    LockingProcess other(file);
    ASSERT_TRUE(other.Holding());
    EXPECT_EQ(ShownByPass(PassKind::Dbf, folder.Path()), SetUpLine(reason));
    EXPECT_EQ(ShownByPass(PassKind::OleDb, folder.Path()),
              "log: " + kInit + "Не удалось прочитать таблицу SMETA.DBF:\nlog: " + reason + "\n");
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
  const std::string reason = "TQXSmartDBF.InternalOpen: Open error \"" + file.string() + "\"";
  for (PassKind pass : {PassKind::Dbf, PassKind::OleDb}) {
    std::string shown = RunUnprivileged([&] { return ShownByPass(pass, folder.Path()); });
    if (shown == kNoUnprivilegedUser) GTEST_SKIP() << "root cannot give up its rights here";
    EXPECT_EQ(shown, pass == PassKind::Dbf ? SetUpLine(reason)
                                           : "log: " + kInit + "Не удалось прочитать таблицу POSEXT.DBF:\nlog: " +
                                                 reason + "\n");
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
// they claim: in a child whose address space may grow by 256 MiB, both refuse
// the tables as cut short, without running out of memory.
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
    // The direct pass names the first table of its set-up, the SQL pass the
    // first of the folder's tables in name order.
    const char* first = pass == PassKind::Dbf ? "POSTOOLS.DBF" : "ACTS.DBF";
    EXPECT_EQ(shown.substr(0, shown.find('\n') + 1), "log: " + kInit + "Файл " + first + " поврежден:\n")
        << PassName(pass);
  }
}

}  // namespace
}  // namespace ranta2kv::test
