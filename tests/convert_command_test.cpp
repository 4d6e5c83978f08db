// Tests of `ranta2kv-cli convert`: log lines on stdout, the written file on
// stderr, exit statuses, --out, several folders, and the decimal separator of
// the user's locale.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "common/version.h"
#include "tests/support/estimate_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv::test {
namespace {

struct CommandResult {
  int status = -1;
  std::string out, err;
};

CommandResult RunCli(const std::string& arguments, const ScratchFolder& scratch,
                     const std::string& environment = "LC_ALL=C.UTF-8") {
  std::filesystem::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
  std::string command = "env " + environment + " " + RANTA2KV_BIN_DIR "/ranta2kv-cli " +
                        arguments + " >" + out.string() + " 2>" + err.string() + " </dev/null";
  CommandResult result;
  int raw = std::system(command.c_str());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFileBytes(out);
  result.err = ReadFileBytes(err);
  return result;
}

EstimateTables SmallEstimate(const std::string& code) {
  EstimateTables t;
  t.smeta.push_back({.code = 1, .id = 0, .princode = code});
  t.smeta.push_back({.code = 2, .id = 2, .nomer = "1", .name1 = "Раздел"});
  t.AddPosition(3, "1", "Позиция").q = 1.5;
  t.AddPosition(4, "2", "Другая").typesbor = "ZZ";
  return t;
}

class ConvertCommandTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(RANTA2KV_BIN_DIR "/ranta2kv-cli")) GTEST_SKIP() << "ranta2kv-cli is not built";
    std::filesystem::create_directories(estimate_);
    SmallEstimate("ЛС-7").WriteTo(estimate_);
  }
  std::string Source() const { return "convert --source " + GetParam() + " "; }

  ScratchFolder scratch_{"cli"};
  std::filesystem::path estimate_ = scratch_ / "estimate";
};

// The result lines of a written file, as stdout shows them (each behind prefix).
std::string ResultLines(const std::filesystem::path& file, int chapters, int positions, int left = 0,
                        const std::string& prefix = "") {
  return prefix + "Записан файл \"" + file.filename().string() + "\"\n" + prefix + "разделов " +
         std::to_string(chapters) + ", позиций " + std::to_string(positions) + ", пропущено строк " +
         std::to_string(left) + "\n";
}

TEST_P(ConvertCommandTest, LogOnStdoutWrittenFileOnStderr) {
  CommandResult r = RunCli(Source() + estimate_.string(), scratch_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Тип сборника ZZ для 01-01-001-01" + std::string(18, ' ') + " не определен. \n" +
                       ResultLines(estimate_ / "ЛС-7.XML", 1, 2));
  EXPECT_EQ(r.err, "written: " + (estimate_ / "ЛС-7.XML").string() + "\n");
  EXPECT_TRUE(std::filesystem::exists(estimate_ / "ЛС-7.XML"));
}

TEST_P(ConvertCommandTest, OutWritesIntoAnotherFolder) {
  std::filesystem::path out = scratch_ / "out";
  std::filesystem::create_directories(out);
  CommandResult r = RunCli(Source() + "--out " + out.string() + " " + estimate_.string(), scratch_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(out / "ЛС-7.XML"));
  EXPECT_FALSE(std::filesystem::exists(estimate_ / "ЛС-7.XML"));
}

TEST_P(ConvertCommandTest, DecimalSeparatorOfTheUsersLocale) {
  if (std::system("locale -a 2>/dev/null | grep -qi '^ru_RU.utf-\\?8$'") != 0) {
    GTEST_SKIP() << "the ru_RU.UTF-8 locale is not installed (tools/setup makes it)";
  }
  CommandResult r = RunCli(Source() + estimate_.string(), scratch_, "LC_ALL=ru_RU.UTF-8");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string xml = ReadFileBytes(estimate_ / "ЛС-7.XML");
  EXPECT_NE(xml.find("Quantity=\"1,5\""), std::string::npos);
  r = RunCli(Source() + estimate_.string(), scratch_, "LC_ALL=C.UTF-8");
  xml = ReadFileBytes(estimate_ / "ЛС-7.XML");
  EXPECT_NE(xml.find("Quantity=\"1.5\""), std::string::npos);
}

TEST_P(ConvertCommandTest, SetUpFailureExitsOne) {
  std::filesystem::remove(estimate_ / "SMETA.DBF");
  CommandResult r = RunCli(Source() + estimate_.string(), scratch_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find(" : ")), "Ошибка инициализации");
  EXPECT_EQ(r.err, "");
}

TEST_P(ConvertCommandTest, PassFailureExitsTwoWithoutAFile) {
  SmallEstimate("bad/name").WriteTo(estimate_);
  CommandResult r = RunCli(Source() + estimate_.string(), scratch_);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ranta2kv-cli: Недопустимое имя файла \"bad/name.XML\"\n");
}

TEST_P(ConvertCommandTest, SeveralFoldersPrefixTheirLinesAndKeepThemTogether) {
  std::filesystem::path second = scratch_ / "second";
  std::filesystem::create_directories(second);
  SmallEstimate("ЛС-8").WriteTo(second);
  for (std::string jobs : {"-j 1 ", "-j 2 "}) {
    CommandResult r = RunCli(Source() + jobs + estimate_.string() + " " + second.string(), scratch_);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string line = " Тип сборника ZZ для 01-01-001-01" + std::string(18, ' ') + " не определен. \n";
    std::string first = estimate_.string() + ":" + line +
                        ResultLines(estimate_ / "ЛС-7.XML", 1, 2, 0, estimate_.string() + ": ");
    std::string other = second.string() + ":" + line + ResultLines(second / "ЛС-8.XML", 1, 2, 0, second.string() + ": ");
    EXPECT_TRUE(r.out == first + other || r.out == other + first) << r.out;
    EXPECT_TRUE(std::filesystem::exists(second / "ЛС-8.XML"));
  }
}

// Each refusal is one line naming the option and what it takes.
TEST_P(ConvertCommandTest, BadArgumentsSayWhyAndExitTwo) {
  const std::string folder = " " + estimate_.string();
  const std::string help = "; see ranta2kv-cli --help\n";
  const std::pair<std::string, std::string> kRefused[] = {
      {Source(), "convert takes the FOLDER of an estimate, and none is given"},
      {Source() + "-j 0" + folder, "-j takes a whole number from 1 up, not '0'"},
      {Source() + "-j2x" + folder, "-j takes a whole number from 1 up, not '2x'"},
      {Source() + "--jobs" + folder + " -j", "-j takes a whole number from 1 up, not '" + estimate_.string() + "'"},
      {Source() + folder + " -j", "-j takes a whole number from 1 up, and none is given"},
      {"convert --source xyz" + folder, "--source takes oledb or dbf, not 'xyz'"},
      {Source() + "--fast" + folder, "convert has no option '--fast'"},
      {"convrt" + folder, "there is no command 'convrt'; the commands are convert and dump"},
  };
  for (const auto& [arguments, reason] : kRefused) {
    CommandResult r = RunCli(arguments, scratch_);
    EXPECT_EQ(r.status, 2) << arguments;
    EXPECT_EQ(r.err, "ranta2kv-cli: " + reason + help);
    EXPECT_EQ(r.out, "");
  }
}

// A missing folder among others is named on stderr, exits 1 and does not keep
// the other folders from their files.
TEST_P(ConvertCommandTest, MissingFolderIsNamedOnStderr) {
  std::filesystem::path missing = scratch_ / "no such estimate";
  CommandResult r = RunCli(Source() + "'" + missing.string() + "'", scratch_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ranta2kv-cli: " + missing.string() + ": no such folder\n");

  std::filesystem::path out = scratch_ / "out";
  std::filesystem::create_directories(out);
  r = RunCli(Source() + "--out " + out.string() + " '" + missing.string() + "' " + estimate_.string(),
             scratch_);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("ranta2kv-cli: " + missing.string() + ": no such folder\n"), std::string::npos);
  EXPECT_NE(r.out.find(missing.string() + ": Папка не найдена\n"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::exists(out / "ЛС-7.XML"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 1) << "a staging folder is left";
}

// A table file stands for its folder, as in the window; options take their
// values after "=" too; COMMAND --help is the help.
TEST_P(ConvertCommandTest, PathsAndOptionsAsUsersGiveThem) {
  const std::filesystem::path out = scratch_ / "out=1";
  CommandResult r = RunCli("convert --source=" + GetParam() + " '--out=" + out.string() + "' " +
                               (estimate_ / "SMETA.DBF").string(),
                           scratch_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "written: " + (out / "ЛС-7.XML").string() + "\n");
  r = RunCli(Source() + "--jobs=2 " + estimate_.string(), scratch_);
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* help : {"convert --help", "convert -h", "dump --help"}) {
    r = RunCli(help, scratch_);
    EXPECT_EQ(r.status, 0) << help;
    EXPECT_NE(r.out.find("--recursive"), std::string::npos) << help;
  }
  r = RunCli(Source() + "--fast=1 " + estimate_.string(), scratch_);
  EXPECT_EQ(r.err, "ranta2kv-cli: convert has no option '--fast' that takes a value; see ranta2kv-cli --help\n");
}

// An --out folder that cannot be made gives the system's reason; a folder made
// for an estimate whose set-up failed is not left behind.
TEST_P(ConvertCommandTest, OutputFolderThatCannotBeMadeAndNoneLeftForAFailure) {
  WriteFileBytes(scratch_ / "file", "x");
  CommandResult r = RunCli(Source() + "--out " + (scratch_ / "file" / "out").string() + " " + estimate_.string(),
                           scratch_);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ranta2kv-cli: cannot make the output folder " + (scratch_ / "file" / "out").string() +
                       ": Not a directory\n");
  std::filesystem::remove(estimate_ / "POSEXT.DBF");
  r = RunCli(Source() + "--out " + (scratch_ / "new" / "out").string() + " " + estimate_.string(), scratch_);
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "new")) << "an empty output folder is left";
}

// Whether the process holds the file open (its table, while the run reads it).
bool HoldsOpen(pid_t process, const std::filesystem::path& file) {
  std::error_code error;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(process) + "/fd", error)) {
    if (std::filesystem::read_symlink(fd.path(), error) == file) return true;
  }
  return false;
}

// Ctrl-C while a real run reads its tables: the run stops after the row in
// hand, writes what it has, says so in its result and exits with status 3.
TEST_P(ConvertCommandTest, CtrlCStopsTheRunWithAStatusOfItsOwn) {
  const std::filesystem::path large = scratch_ / "large";
  ASSERT_EQ(std::system((RANTA2KV_BIN_DIR "/ranta2kv-gen --seed 3 --positions 20000 " + large.string() +
                         " >/dev/null")
                            .c_str()),
            0);
  const std::filesystem::path out = scratch_ / "stdout.txt";
  const pid_t child = ::fork();
  if (child == 0) {
    ::freopen(out.c_str(), "w", stdout);
    ::freopen("/dev/null", "w", stderr);
    ::execl(RANTA2KV_BIN_DIR "/ranta2kv-cli", "ranta2kv-cli", "convert", "--source", GetParam().c_str(),
            large.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_GT(child, 0);
  const std::filesystem::path smeta = std::filesystem::canonical(large / "SMETA.DBF");
  bool reading = false;
  for (int wait = 0; wait < 20000 && !(reading = HoldsOpen(child, smeta)); ++wait) ::usleep(500);
  ASSERT_TRUE(reading) << "the run never opened its tables";
  ::kill(child, SIGINT);
  int raw = 0;
  ASSERT_EQ(::waitpid(child, &raw, 0), child);
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 3);
  const std::string log = ReadFileBytes(out);
  EXPECT_NE(log.find("Конвертация остановлена.\nЗаписан файл \""), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(BothSources, ConvertCommandTest, ::testing::Values("dbf", "oledb"));

TEST(CliVersionTest, VersionOfTheBuild) {
  if (!std::filesystem::exists(RANTA2KV_BIN_DIR "/ranta2kv-cli")) GTEST_SKIP() << "ranta2kv-cli is not built";
  ScratchFolder scratch{"cli-version"};
  CommandResult r = RunCli("--version", scratch);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "ranta2kv-cli " RANTA2KV_VERSION "\n");
  EXPECT_NE(RunCli("--help", scratch).out.find("--version"), std::string::npos);
}

}  // namespace
}  // namespace ranta2kv::test
