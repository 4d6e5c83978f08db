// The resident memory on POSIX systems: the second field of /proc/self/statm
// (pages), where the system has it.
#include "platform/process_memory.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>

namespace ranta2kv {

std::optional<std::uint64_t> ResidentBytes() {
  const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char text[128];
  const ssize_t n = ::read(fd, text, sizeof text);
  ::close(fd);
  if (n <= 0) return std::nullopt;
  const char* at = text;
  const char* end = text + n;
  while (at < end && *at != ' ') ++at;  // past the total size
  std::uint64_t pages = 0;
  if (at == end || std::from_chars(at + 1, end, pages).ec != std::errc()) return std::nullopt;
  return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace ranta2kv
