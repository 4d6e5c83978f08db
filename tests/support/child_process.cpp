// Forked children of the tests. The child never returns into the test runner:
// it writes its text into a pipe and leaves with _exit.
#include "tests/support/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

namespace ranta2kv::test {
namespace {

constexpr uid_t kNobody = 65534;

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string Outcome(int status, std::string text) {
  if (WIFSIGNALED(status)) return "<child killed by signal " + std::to_string(WTERMSIG(status)) + ">";
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return "<child exited with " + std::to_string(WEXITSTATUS(status)) + ">";
  }
  return text;
}

}  // namespace

std::string RunInChild(const std::function<std::string()>& action, unsigned timeoutSeconds) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "<no pipe>";
  pid_t pid = ::fork();
  if (pid < 0) return "<no fork>";
  if (pid == 0) {
    ::close(pipeFds[0]);
    ::alarm(timeoutSeconds);
    int code = 0;
    try {
      WriteAll(pipeFds[1], action());
    } catch (const std::exception& error) {
      WriteAll(pipeFds[1], std::string("<child threw: ") + error.what() + ">");
      code = 3;
    }
    ::_exit(code);
  }
  ::close(pipeFds[1]);
  std::string text = ReadAll(pipeFds[0]);
  ::close(pipeFds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return Outcome(status, std::move(text));
}

std::string RunUnprivileged(const std::function<std::string()>& action, unsigned timeoutSeconds) {
  return RunInChild(
      [&] {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
          return std::string(kNoUnprivilegedUser);
        }
        return action();
      },
      timeoutSeconds);
}

// A child forked while another thread of the parent had not been joined yet (a
// table changed from a file callback during the two-thread index builds) would
// report that thread as leaked at its exit and fail with the sanitizer's code:
// the thread is the parent's, joined there.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_options() { return "report_thread_leaks=0"; }
#endif

bool UnderThreadSanitizer() {
#if defined(__SANITIZE_THREAD__)
  return true;
#else
  return false;
#endif
}

bool UnderAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

LockingProcess::LockingProcess(const std::filesystem::path& file) {
  int ready[2], release[2];
  if (::pipe(ready) != 0) return;
  if (::pipe(release) != 0) {
    ::close(ready[0]);
    ::close(ready[1]);
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::close(ready[0]);
    ::close(release[1]);
    int fd = ::open(file.c_str(), O_RDONLY);
    char took = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
    (void)!::write(ready[1], &took, 1);
    char ignored;
    (void)!::read(release[0], &ignored, 1);  // returns when the parent closes its end
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(release[0]);
  release_fd_ = release[1];
  char took = '0';
  holding_ = pid_ > 0 && ::read(ready[0], &took, 1) == 1 && took == '1';
  ::close(ready[0]);
}

LockingProcess::~LockingProcess() {
  if (release_fd_ >= 0) ::close(release_fd_);
  if (pid_ > 0) {
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

RunningProgram::RunningProgram(const std::filesystem::path& program, const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, stream);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  if (pid_ < 0) ended_ = true;
}

RunningProgram::~RunningProgram() {
  if (!Ended()) {
    Signal(SIGKILL);
    Wait();
  }
}

void RunningProgram::Signal(int signal) const {
  if (pid_ > 0 && !ended_) ::kill(pid_, signal);
}

bool RunningProgram::Ended() {
  if (!ended_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
  return ended_;
}

std::string RunningProgram::Wait() {
  if (pid_ < 0) return "not started";
  while (!ended_) {
    if (::waitpid(pid_, &status_, 0) == pid_) ended_ = true;
    else if (errno != EINTR) return "not started";
  }
  if (WIFSIGNALED(status_)) return "killed by signal " + std::to_string(WTERMSIG(status_));
  return "exited with " + std::to_string(WEXITSTATUS(status_));
}

}  // namespace ranta2kv::test
