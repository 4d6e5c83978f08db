// Forked child processes for tests that need another process or other rights:
// an action run in a child (optionally as the unprivileged user "nobody", or
// under a resource limit) whose text comes back through a pipe, a child that
// holds an exclusive flock on a file, as another program would, and a program
// of the build run as a user runs it, to be stopped, interrupted or killed.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ranta2kv::test {

// Runs action in a forked child and returns the text it returned. A child that
// dies or exits otherwise gives "<child killed by signal N>" or "<child exited
// with N>"; one still running after timeoutSeconds is killed (SIGALRM).
std::string RunInChild(const std::function<std::string()>& action, unsigned timeoutSeconds = 60);

// What RunUnprivileged gives when root cannot give up its rights here (a
// container without the right to change user); the test should then skip.
inline constexpr const char* kNoUnprivilegedUser = "<root cannot become nobody here>";

// RunInChild as a user whom file permissions bind: this user, or "nobody"
// (65534) when this process is root.
std::string RunUnprivileged(const std::function<std::string()>& action, unsigned timeoutSeconds = 60);

// True when the build runs under AddressSanitizer, whose shadow memory makes a
// limit on the address space meaningless.
bool UnderAddressSanitizer();
// True under ThreadSanitizer, whose shadow memory grows with what the process
// touches, so that its resident memory says little of the program's own.
bool UnderThreadSanitizer();

// A child process that holds an exclusive flock on a file from construction
// until destruction.
class LockingProcess {
 public:
  explicit LockingProcess(const std::filesystem::path& file);
  ~LockingProcess();
  LockingProcess(const LockingProcess&) = delete;
  LockingProcess& operator=(const LockingProcess&) = delete;

  bool Holding() const { return holding_; }  // the child took the lock

 private:
  pid_t pid_ = -1;
  int release_fd_ = -1;  // closing it tells the child to end
  bool holding_ = false;
};

// A program started with arguments, its standard streams on /dev/null, from
// construction until it ends; killed (SIGKILL) when it still runs at destruction.
class RunningProgram {
 public:
  RunningProgram(const std::filesystem::path& program, const std::vector<std::string>& args);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  pid_t Pid() const { return pid_; }  // -1 when it could not be started
  void Signal(int signal) const;
  bool Ended();  // true once it has ended (it is then reaped)
  // Waits until it has ended: "exited with N" or "killed by signal N".
  std::string Wait();

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool ended_ = false;
};

}  // namespace ranta2kv::test
