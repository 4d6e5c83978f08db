// The memory a process holds on Windows: its private bytes. The working set
// would count the pages of the tables' views too, which are their files' and
// which the system drops when it needs the room (Wine never does).
#include "platform/process_memory.h"

#include <windows.h>
#include <psapi.h>

namespace ranta2kv {

std::optional<std::uint64_t> ResidentBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
    return std::nullopt;
  }
  return counters.PrivateUsage;
}

}  // namespace ranta2kv
