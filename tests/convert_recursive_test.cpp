// Tests of `ranta2kv-cli convert --recursive` on an object folder: every estimate
// below it converted in name order (also with -j 2), each file the one a single
// run writes, under --out in the same sub-folders; failures named on stderr and
// the exit status of the worst; one summary line at the end.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
  int status = -1;
  std::string out, err;
};

CommandRun Convert(const std::string& arguments, const ScratchFolder& scratch) {
  const fs::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
  const std::string command = "env LC_ALL=C.UTF-8 " RANTA2KV_BIN_DIR "/ranta2kv-cli convert --source dbf " +
                              arguments + " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(out), ReadFileBytes(err)};
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class ConvertRecursiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(RANTA2KV_BIN_DIR "/ranta2kv-cli")) GTEST_SKIP() << "ranta2kv-cli is not built";
    int seed = 1;
    for (const char* folder : {"Корпус 1/Раздел 2", "Корпус 1/Раздел 10", "Сети наружные"})
      gen::GenerateEstimate({.seed = static_cast<std::uint64_t>(seed++), .positions = 20}, object_ / folder);
  }
  // The file a single run of the estimate writes, and its name.
  std::pair<std::string, std::string> SingleRun(const std::string& folder) {
    const fs::path out = scratch_ / "single";
    fs::remove_all(out);
    fs::create_directories(out);
    EXPECT_EQ(Convert("--out " + Quoted(out) + " " + Quoted(object_ / folder), scratch_).status, 0);
    const fs::path file = fs::directory_iterator(out)->path();
    return {file.filename().string(), ReadFileBytes(file)};
  }

  ScratchFolder scratch_{"recursive"};
  fs::path object_ = scratch_ / "Объект";
};

TEST_F(ConvertRecursiveTest, EveryEstimateInNameOrderMirroredUnderOut) {
  const auto first = SingleRun("Корпус 1/Раздел 2"), second = SingleRun("Корпус 1/Раздел 10"),
             third = SingleRun("Сети наружные");
  for (const char* jobs : {"-j 1", "-j 2"}) {
    const fs::path out = scratch_ / "out" / jobs;
    CommandRun r = Convert(std::string(jobs) + " --recursive --out " + Quoted(out) + " " + Quoted(object_), scratch_);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(out / "Корпус 1" / "Раздел 2" / first.first), first.second);
    EXPECT_EQ(ReadFileBytes(out / "Корпус 1" / "Раздел 10" / second.first), second.second);
    EXPECT_EQ(ReadFileBytes(out / "Сети наружные" / third.first), third.second);
    const std::size_t a = r.out.find("Папка \"Корпус 1/Раздел 2\"\n"),
                      b = r.out.find("Папка \"Корпус 1/Раздел 10\"\n"), c = r.out.find("Папка \"Сети наружные\"\n");
    EXPECT_TRUE(a < b && b < c && c != std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1), "Найдено смет: 3, записано: 3, с ошибками: 0\n");
  }
}

TEST_F(ConvertRecursiveTest, FailuresAreNamedAndTheOthersWritten) {
  fs::remove(object_ / "Сети наружные" / "POSEXT.DBF");
  CommandRun r = Convert("--recursive " + Quoted(object_), scratch_);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("ranta2kv-cli: " + (object_ / "Сети наружные").string() +
                       ": Ошибка инициализации : не найдены таблицы данных\n" + "ranta2kv-cli: " +
                       (object_ / "Сети наружные").string() + ": Нет файла: POSEXT.DBF\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("Найдено смет: 3, записано: 2, с ошибками: 1\n"), std::string::npos) << r.out;

  // A field the pass needs is gone: the pass fails, the status is the worse one.
  std::string smeta = ReadFileBytes(object_ / "Корпус 1" / "Раздел 2" / "SMETA.DBF");
  smeta.replace(smeta.find(std::string("NOMER\0", 6)), 1, "X");
  WriteFileBytes(object_ / "Корпус 1" / "Раздел 2" / "SMETA.DBF", smeta);
  r = Convert("-j 2 --recursive " + Quoted(object_), scratch_);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("ranta2kv-cli: " + (object_ / "Корпус 1" / "Раздел 2").string() +
                       ": DescriptTable: Field 'NOMER' not found\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("Найдено смет: 3, записано: 1, с ошибками: 2\n"), std::string::npos) << r.out;
}

// Without --recursive an object folder has no tables, and the user learns what
// would convert it; with --recursive a folder with no estimate below says so.
TEST_F(ConvertRecursiveTest, ObjectFolderWithoutRecursiveAndAFolderWithNoEstimates) {
  CommandRun r = Convert(Quoted(object_), scratch_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Ошибка инициализации : не найдены таблицы данных\nНет файлов: POSTOOLS.DBF, SMETA.DBF, "
                   "POSEXT.DBF, RESTBL.DBF, EXECUTE.DBF, ACTS.DBF, PARAMS.DBF\n");
  EXPECT_EQ(r.err, "ranta2kv-cli: " + object_.string() +
                       " holds no SMETA.DBF itself, but 3 estimate folders below it: convert them with --recursive\n");
  const fs::path empty = scratch_ / "Пусто" / "Внутри";
  fs::create_directories(empty);
  r = Convert("--recursive " + Quoted(empty.parent_path()), scratch_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Найдено смет: 0, записано: 0, с ошибками: 0\n");
  EXPECT_EQ(r.err, "ranta2kv-cli: " + empty.parent_path().string() + ": no folder below it holds SMETA.DBF\n");
}

}  // namespace
}  // namespace ranta2kv::test
