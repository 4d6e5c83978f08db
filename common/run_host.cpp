// Busy indication together with the run flag.
#include "common/run_host.h"

namespace ranta2kv {

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
