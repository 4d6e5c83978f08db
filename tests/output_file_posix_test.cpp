// Tests of the output file on POSIX systems: no name in the folder while it is
// written where the file system makes files without one, the permissions a
// plain creation gives, and a writer killed while it writes: it leaves no name,
// or on the other file systems one that another process keeps while the writer
// lives and the next run removes once it is dead.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
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
  int Before(FileCall call, const fs::path&, std::size_t&) override {
    return call == FileCall::Nameless ? EOPNOTSUPP : 0;
  }
};

std::ptrdiff_t Entries(const fs::path& folder) {
  return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

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
  EXPECT_EQ(Entries(folder.Path()), 1);
  NoNamelessFiles named;  // the scratch file's name goes at once
  ScratchFile scratch(&named);
  ASSERT_EQ(scratch.CreateIn(folder.Path()), 0);
  EXPECT_EQ(Entries(folder.Path()), 1);
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
    // A second process writing there meanwhile keeps the writer's file.
    EXPECT_EQ(RunInChild([&] {
                OutputFile other(faults);
                return std::to_string(other.CreateBeside(folder / "F.XML"));
              }),
              "0");
    EXPECT_EQ(Entries(folder.Path()), faults ? 2 : 1);
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(Entries(folder.Path()), faults ? 2 : 1);
    OutputFile next;
    ASSERT_EQ(next.CreateBeside(folder / "E.XML"), 0);
    EXPECT_EQ(Entries(folder.Path()), 1);
    EXPECT_EQ(ReadFileBytes(folder / "E.XML"), "earlier");
  }
}

}  // namespace
}  // namespace ranta2kv::test
