// Tests of the busy indication and the run flag.
#include <gtest/gtest.h>

#include "common/run_host.h"

namespace ranta2kv {
namespace {

class RecordingHost : public RunHost {
 public:
  RecordingHost() : RunHost('.') {}
  std::filesystem::path FolderPath() override { return {}; }
  void AppendLog(const std::string&) override {}
  void ClearLog() override {}
  void SetProgressMax(int) override {}
  void SetProgressPosition(int) override {}
  void StepProgress() override {}
  void ProcessPendingEvents() override { ++events; }
  void SetBusyIndication(bool b) override { busy = b; }
  void ApplyButtonRule() override {}
  bool busy = false;
  int events = 0;
};

TEST(BusyTest, BeginAndEndSwitchCursorAndFlag) {
  RecordingHost host;
  BeginBusy(host);
  EXPECT_TRUE(host.busy);
  EXPECT_TRUE(host.Running());
  EXPECT_EQ(host.events, 1);
  EndBusy(host);
  EXPECT_FALSE(host.busy);
  EXPECT_FALSE(host.Running());
  EXPECT_EQ(host.events, 2);
}

TEST(BusyTest, EndWithoutFlagKeepsTheFlag) {
  RecordingHost host;
  host.SetRunning(true);
  EndBusy(host, false);
  EXPECT_FALSE(host.busy);
  EXPECT_TRUE(host.Running());
}

}  // namespace
}  // namespace ranta2kv
