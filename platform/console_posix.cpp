// The console on POSIX systems: a terminal is a tty, its text is UTF-8 like a
// file's, and Ctrl-C is SIGINT.
#include "platform/console.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace ranta2kv {
namespace {

// Ctrl-C presses so far, the one piece of state the signal handler touches: a
// lock-free atomic, which a handler may change and other threads may read.
std::atomic<int> g_stop_requests{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  if (g_stop_requests.fetch_add(1) + 1 > 1) _exit(130);
}

std::FILE* StreamOf(StandardStream stream) { return stream == StandardStream::Output ? stdout : stderr; }

}  // namespace

void PrepareStandardStreams() {}

void UseParentConsole() {}

bool IsConsole(StandardStream stream) {
  return ::isatty(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

bool WriteText(StandardStream stream, std::string_view utf8) {
  return std::fwrite(utf8.data(), 1, utf8.size(), StreamOf(stream)) == utf8.size();
}

bool FlushStream(StandardStream stream) { return std::fflush(StreamOf(stream)) == 0; }

void CatchStopRequests() { std::signal(SIGINT, OnInterrupt); }

int StopRequests() { return g_stop_requests.load(); }

}  // namespace ranta2kv
