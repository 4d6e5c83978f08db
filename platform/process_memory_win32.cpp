// The resident memory on Windows: the working set of the process.
#include "platform/process_memory.h"

#include <windows.h>
#include <psapi.h>

namespace ranta2kv {

std::optional<std::uint64_t> ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return std::nullopt;
  return counters.WorkingSetSize;
}

}  // namespace ranta2kv
