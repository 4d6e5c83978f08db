// A run host for the tests.
#include "tests/support/recording_run_host.h"

#include "common/codepage.h"

namespace ranta2kv::test {

void RecordingRunHost::ProcessPendingEvents() {
  ++events;
  if (stop_after_steps && steps >= *stop_after_steps) SetRunning(false);
}

void RecordingRunHost::SetBusyIndication(bool isBusy) {
  busy = isBusy;
  ++busy_changes;
}

std::vector<std::string> RecordingRunHost::LogUtf8() const {
  std::vector<std::string> lines;
  for (const std::string& line : log) lines.push_back(Cp1251ToUtf8(line));
  return lines;
}

}  // namespace ranta2kv::test
