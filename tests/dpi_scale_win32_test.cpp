// Tests of the Win32 window's screen density where the system lacks the
// per-monitor functions (Windows 7, 8 and 8.1): the system's density and the
// classic frame, which on one monitor are what the per-monitor functions give.
#include <gtest/gtest.h>

#include "app/win32/dpi_scale.h"

namespace ranta2kv::win32 {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

class DpiScaleTest : public ::testing::Test {
 protected:
  // A message-only window: the suite runs without a display.
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"", kStyle, 0, 0, 200, 100, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { DestroyWindow(window_); }
  HWND window_ = nullptr;
};

TEST_F(DpiScaleTest, WithoutPerMonitorFunctionsTheScreenDensityServes) {
  EXPECT_EQ(WindowDpi(window_, DpiFunctions{}), ScreenDpi());
  EXPECT_EQ(WindowDpi(window_, DpiFunctions{}), WindowDpi(window_));
}

TEST_F(DpiScaleTest, PerMonitorAnswerOfZeroFallsBackToTheScreen) {
  const DpiFunctions failing{[](HWND) WINAPI -> UINT { return 0; }, nullptr};
  EXPECT_EQ(WindowDpi(window_, failing), ScreenDpi());
}

TEST_F(DpiScaleTest, WithoutPerMonitorFunctionsTheFrameIsTheClassicOne) {
  const SIZE client{345, 359};
  RECT classic{0, 0, client.cx, client.cy};
  ASSERT_TRUE(AdjustWindowRectEx(&classic, kStyle, FALSE, 0));
  const SIZE outer = OuterSizeForClient(client, kStyle, 0, WindowDpi(window_), DpiFunctions{});
  EXPECT_EQ(outer.cx, classic.right - classic.left);
  EXPECT_EQ(outer.cy, classic.bottom - classic.top);
  const SIZE perMonitor = OuterSizeForClient(client, kStyle, 0, WindowDpi(window_));
  EXPECT_EQ(outer.cx, perMonitor.cx);
  EXPECT_EQ(outer.cy, perMonitor.cy);
}

}  // namespace
}  // namespace ranta2kv::win32
