// Tests of the output file on POSIX systems: no name in the folder while it is
// written where the file system makes files without one, the permissions a
// plain creation gives, and the named file of the other file systems, which is
// held while it is written, kept while another process holds it, and removed by
// the next run once a killed process left it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_faults.h"
#include "platform/output_file.h"
#include "platform/scratch_file.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv::test {
namespace {

namespace fs = std::filesystem;

class NoNamelessFiles : public FileFaults {
 public:
  int Before(FileCall call, const fs::path&, std::size_t&) override { return call == FileCall::Nameless ? EOPNOTSUPP : 0; }
};

bool MakesNamelessFiles(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
  return fd >= 0;
}

void WriteAll(OutputFile& file, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    std::size_t written = 0;
    ASSERT_EQ(file.Write(bytes.data() + done, bytes.size() - done, written), 0);
    done += written;
  }
}

// True when another open of file could take its flock now.
bool Unheld(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  const bool taken = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (fd >= 0) ::close(fd);
  return taken;
}

TEST(OutputFilePosixTest, NothingIsNamedWhileItIsWrittenAndTheFileGetsAPlainFilesPermissions) {
  ScratchFolder folder("nameless");
  if (!MakesNamelessFiles(folder.Path())) GTEST_SKIP() << "the file system of " << folder.Path() << " has no O_TMPFILE";
  const mode_t umask = ::umask(027);
  OutputFile file;
  ASSERT_EQ(file.CreateBeside(folder / "E.XML"), 0);
  WriteAll(file, std::string(1 << 20, 'x'));
  EXPECT_TRUE(file.TemporaryPath().empty());
  EXPECT_TRUE(fs::is_empty(folder.Path()));
  ASSERT_EQ(file.Sync(), 0);
  EXPECT_TRUE(fs::is_empty(folder.Path()));
  ASSERT_EQ(file.ReplaceTarget(folder / "E.XML"), 0);
  ::umask(umask);
  EXPECT_EQ(fs::file_size(folder / "E.XML"), 1u << 20);
  EXPECT_EQ(fs::status(folder / "E.XML").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(OutputFilePosixTest, NamedFileIsHeldWhileItIsWrittenAndGoesWithoutAReplacement) {
  ScratchFolder folder("named");
  NoNamelessFiles named;
  OutputFile file(&named);
  ASSERT_EQ(file.CreateBeside(folder / "E.XML"), 0);
  const fs::path temporary = file.TemporaryPath();
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(temporary.parent_path(), folder.Path());
  EXPECT_TRUE(fs::exists(temporary));
  EXPECT_FALSE(Unheld(temporary));
  file.Remove();
  EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST(OutputFilePosixTest, ScratchFileWithoutNamelessFilesStillShowsNoName) {
  ScratchFolder folder("scratch");
  NoNamelessFiles named;
  ScratchFile file(&named);
  ASSERT_EQ(file.CreateIn(folder.Path()), 0);
  std::size_t written = 0;
  ASSERT_EQ(file.Append("abc", 3, written), 0);
  EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST(OutputFilePosixTest, LeftoverHeldByAnotherProcessIsKeptUntilItLetsGo) {
  ScratchFolder folder("held");
  const fs::path leftover = folder / ".ranta2kv-0123456789abcdef.tmp";
  std::ofstream(leftover) << "another run's";
  {
    LockingProcess other(leftover);
    ASSERT_TRUE(other.Holding());
    OutputFile file;
    ASSERT_EQ(file.CreateBeside(folder / "E.XML"), 0);
    EXPECT_EQ(ReadFileBytes(leftover), "another run's");
  }
  OutputFile file;
  ASSERT_EQ(file.CreateBeside(folder / "E.XML"), 0);
  EXPECT_FALSE(fs::exists(leftover));
}

// A child process that writes part of the file and then waits to be killed.
pid_t WriterToKill(const fs::path& target, FileFaults* faults) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    OutputFile file(faults);
    std::size_t written = 0;
    const bool writing = file.CreateBeside(target) == 0 && file.Write("partial", 7, written) == 0;
    (void)!::write(ready[1], writing ? "1" : "0", 1);
    ::pause();
    ::_exit(0);
  }
  ::close(ready[1]);
  char writing = '0';
  if (pid < 0 || ::read(ready[0], &writing, 1) != 1 || writing != '1') {
    ::close(ready[0]);
    return -1;
  }
  ::close(ready[0]);
  return pid;
}

TEST(OutputFilePosixTest, WriterKilledWhileItWritesLeavesNoNameOrOneTheNextRunRemoves) {
  NoNamelessFiles named;
  for (FileFaults* faults : {static_cast<FileFaults*>(nullptr), static_cast<FileFaults*>(&named)}) {
    ScratchFolder folder("killed");
    std::ofstream(folder / "E.XML") << "earlier";
    const pid_t writer = WriterToKill(folder / "E.XML", faults);
    ASSERT_GT(writer, 0);
    // A second process writing there meanwhile keeps the killed one's file.
    EXPECT_EQ(RunInChild([&] {
                OutputFile other(faults);
                return std::to_string(other.CreateBeside(folder / "F.XML"));
              }),
              "0");
    const std::size_t whileWritten = std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator());
    EXPECT_EQ(whileWritten, faults ? 2u : 1u);
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), faults ? 2 : 1);
    OutputFile next;
    ASSERT_EQ(next.CreateBeside(folder / "E.XML"), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
    EXPECT_EQ(ReadFileBytes(folder / "E.XML"), "earlier");
  }
}

}  // namespace
}  // namespace ranta2kv::test
