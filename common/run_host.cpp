// Busy indication together with the run flag.
#include "common/run_host.h"

#include "common/log_lines.h"

namespace ranta2kv {

void AppendLogLines(RunHost& host, std::string_view text1251) {
  AppendLines([&host](const std::string& line) { host.AppendLog(line); }, text1251);
}

void BeginBusy(RunHost& host, bool setFlag) {
  host.SetBusyIndication(true);
  if (setFlag) host.SetRunning(true);
  host.ProcessPendingEvents();
}

void EndBusy(RunHost& host, bool setFlag) {
  host.SetBusyIndication(false);
  if (setFlag) host.SetRunning(false);
  host.ProcessPendingEvents();
}

}  // namespace ranta2kv
