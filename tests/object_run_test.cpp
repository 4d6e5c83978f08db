// Tests of object folders: the search for the estimate folders below a chosen
// folder and their name order, and the object run through both passes: each
// estimate written as its single run writes it, failures logged under their
// estimate's name while the others go on, the summary, one progress bar over
// the whole object, and Stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/name_order.h"
#include "convert/conversion_pass.h"
#include "convert/estimate_folders.h"
#include "convert/object_run.h"
#include "platform/file_name.h"
#include "tests/support/file_bytes.h"
#include "tests/support/recording_run_host.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

fs::path Utf8Path(const std::string& utf8) { return PathFromUtf8(utf8); }

std::string Generic(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

void Generate(const fs::path& folder, int seed, int positions = 30) {
  gen::GenerateEstimate({.seed = static_cast<std::uint64_t>(seed), .positions = positions}, folder);
}

// Renames a field of a table in its header, so that a pass that reads the
// field by its name fails.
void RenameField(const fs::path& table, const std::string& name) {
  std::string bytes = ReadFileBytes(table);
  for (std::size_t at = 32; at + 32 <= bytes.size() && bytes[at] != '\x0D'; at += 32)
    if (bytes.compare(at, name.size() + 1, name + '\0') == 0) bytes[at] = 'X';
  WriteFileBytes(table, bytes);
}

TEST(NameOrderTest, DigitsByValueLettersWithoutCase) {
  Lines names = {"Раздел 10", "раздел 2", "Б", "а", "Раздел 02a", "A", "b", "Раздел 2", "Раздел"};
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); });
  EXPECT_EQ(names, (Lines{"A", "b", "а", "Б", "Раздел", "Раздел 2", "раздел 2", "Раздел 02a", "Раздел 10"}));
}

// An object of two buildings, with blanks and Cyrillic in its names, estimates
// two levels deep and one inside another estimate's folder; a folder without
// tables and a folder of other files.
class ObjectFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Generate(Folder("Корпус 1/Раздел 2"), 1);
    Generate(Folder("Корпус 1/Раздел 10"), 2);
    Generate(Folder("Корпус 1/Раздел 10/старая смета"), 3, 5);
    Generate(Folder("Сети  наружные"), 4);
    fs::create_directories(Folder("Пустая папка/внутри"));
    WriteFileBytes(Folder("Документы") / "readme.txt", "not an estimate");
  }
  fs::path Folder(const std::string& relative) const {
    const fs::path folder = (root_ / Utf8Path(relative)).make_preferred();
    fs::create_directories(folder);
    return folder;
  }
  Lines Found() const {
    Lines found;
    for (const EstimateFolder& estimate : FindEstimateFolders(root_, [](const std::string&) {}, [] { return true; }))
      found.push_back(Generic(PathToUtf8(estimate.relative)));
    return found;
  }

  ScratchFolder scratch_{"object"};
  fs::path root_ = scratch_.Path() / PathFromUtf8("Объект №1");
};

TEST_F(ObjectFolderTest, EstimatesBelowInNameOrder) {
  EXPECT_EQ(Found(), (Lines{"Корпус 1/Раздел 2", "Корпус 1/Раздел 10", "Корпус 1/Раздел 10/старая смета",
                            "Сети  наружные"}));
}

TEST_F(ObjectFolderTest, OnlyAFolderWithoutTablesButEstimatesBelowIsAnObject) {
  RecordingRunHost host(root_);
  auto refused = [](RunHost&) -> std::optional<ConversionResult> { throw std::logic_error("no pass may run"); };
  EXPECT_FALSE(ConvertObjectFolder(host, Folder("Корпус 1/Раздел 2"), refused));  // an estimate itself
  EXPECT_FALSE(ConvertObjectFolder(host, Folder("Пустая папка"), refused));       // nothing below
  EXPECT_FALSE(ConvertObjectFolder(host, root_ / "missing", refused));
  EXPECT_TRUE(host.log.empty());
  EXPECT_FALSE(host.Running());
}

class ObjectRunTest : public ObjectFolderTest, public ::testing::WithParamInterface<bool> {
 protected:
  std::optional<ConversionResult> Pass(RunHost& host) const { return GetParam() ? ConvertOleDb(host) : ConvertDbf(host); }
  ConversionPass PassFunction() const {
    return [this](RunHost& host) { return Pass(host); };
  }
  // The bytes the pass writes for the estimate when it is chosen alone.
  std::string SingleRun(const fs::path& folder) {
    const fs::path out = scratch_ / "single";
    fs::remove_all(out);
    fs::create_directories(out);
    RecordingRunHost host(folder);
    host.output_folder = out;
    std::optional<ConversionResult> result = Pass(host);
    return result ? ReadFileBytes(result->file) : "<nothing written>";
  }
  static std::string XmlIn(const fs::path& folder) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".XML") return ReadFileBytes(entry.path());
    return "<no file>";
  }
};

// A host that records where the object's bar goes and presses Stop at the
// given event round.
class ObjectHost : public RecordingRunHost {
 public:
  using RecordingRunHost::RecordingRunHost;
  void SetProgressPosition(int position) override {
    RecordingRunHost::SetProgressPosition(position);
    positions.push_back(position);
  }
  void ProcessPendingEvents() override {
    RecordingRunHost::ProcessPendingEvents();
    if (stop_at_event && events == *stop_at_event) SetRunning(false);
  }
  std::vector<int> positions;
  std::optional<int> stop_at_event;
};

TEST_P(ObjectRunTest, EveryEstimateAsItsSingleRunFailuresLoggedUnderTheirNames) {
  const fs::path damaged = Folder("Корпус 1/Раздел 2"), noTables = Folder("Сети  наружные");
  RenameField(damaged / "SMETA.DBF", "NOMER");
  fs::remove(noTables / "POSEXT.DBF");
  std::vector<std::string> expected;
  for (const char* relative : {"Корпус 1/Раздел 10", "Корпус 1/Раздел 10/старая смета"})
    expected.push_back(SingleRun(Folder(relative)));

  ObjectHost host(root_);
  ASSERT_TRUE(ConvertObjectFolder(host, root_, PassFunction()));
  EXPECT_EQ(XmlIn(Folder("Корпус 1/Раздел 10")), expected[0]);
  EXPECT_EQ(XmlIn(Folder("Корпус 1/Раздел 10/старая смета")), expected[1]);
  EXPECT_EQ(XmlIn(damaged), "<no file>");

  const Lines log = host.LogUtf8();
  ASSERT_EQ(log.size(), 12u) << ::testing::PrintToString(log);
  const std::string sep = PathToUtf8(fs::path("a") / "b").substr(1, 1);
  EXPECT_EQ(log[0], "Папка \"Корпус 1" + sep + "Раздел 2\"");
  EXPECT_EQ(log[1], GetParam() ? "Field 'NOMER' not found" : "DescriptTable: Field 'NOMER' not found");
  EXPECT_EQ(log[2], "Папка \"Корпус 1" + sep + "Раздел 10\"");
  EXPECT_EQ(log[3].rfind("Записан файл \"ЛС-", 0), 0u) << log[3];
  EXPECT_EQ(log[4].rfind("разделов ", 0), 0u) << log[4];
  EXPECT_EQ(log[5], "Папка \"Корпус 1" + sep + "Раздел 10" + sep + "старая смета\"");
  EXPECT_EQ(log[6].rfind("Записан файл \"ЛС-", 0), 0u) << log[6];
  EXPECT_EQ(log[7].rfind("разделов ", 0), 0u) << log[7];
  EXPECT_EQ(log[8], "Папка \"Сети  наружные\"");
  EXPECT_EQ(log[9], GetParam() ? "Ошибка инициализации : Не найдены таблицы данных"
                               : "Ошибка инициализации : не найдены таблицы данных");
  EXPECT_EQ(log[10], "Нет файла: POSEXT.DBF");
  EXPECT_EQ(log[11], "Найдено смет: 4, записано: 2, с ошибками: 2");
  // One bar over the object, never going back, and at 0 again when it is over.
  EXPECT_EQ(host.progress_max, 10000);
  ASSERT_GE(host.positions.size(), 3u);
  EXPECT_TRUE(std::is_sorted(host.positions.begin(), host.positions.end() - 1));
  EXPECT_EQ(host.positions[host.positions.size() - 2], 10000);
  EXPECT_EQ(host.positions.back(), 0);
  EXPECT_EQ(host.busy_changes, 2);  // on once, off once
  EXPECT_FALSE(host.Running());
  EXPECT_TRUE(host.start_enabled);
}

TEST_P(ObjectRunTest, StopWritesTheEstimateInHandAndEndsTheRun) {
  ObjectHost host(root_);
  host.stop_at_event = 20;  // a few rows into the first estimate
  ASSERT_TRUE(ConvertObjectFolder(host, root_, PassFunction()));
  const Lines log = host.LogUtf8();
  ASSERT_EQ(log.size(), 6u) << ::testing::PrintToString(log);
  EXPECT_EQ(log[1], "Конвертация остановлена.");
  EXPECT_EQ(log[2].rfind("Записан файл ", 0), 0u) << log[2];
  EXPECT_EQ(log[3].rfind("разделов ", 0), 0u) << log[3];
  EXPECT_EQ(log[4], "Конвертация остановлена.");
  EXPECT_EQ(log[5], "Найдено смет: 4, записано: 1, с ошибками: 0");
  EXPECT_NE(XmlIn(Folder("Корпус 1/Раздел 2")), "<no file>");
  EXPECT_EQ(XmlIn(Folder("Корпус 1/Раздел 10")), "<no file>");
  EXPECT_EQ(host.progress, 0);
  EXPECT_FALSE(host.Running());
}

INSTANTIATE_TEST_SUITE_P(BothPasses, ObjectRunTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OleDb" : "Dbf"; });

}  // namespace
}  // namespace ranta2kv::test
