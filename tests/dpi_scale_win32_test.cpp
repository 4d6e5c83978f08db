// Tests of the Win32 window's screen density where the system lacks the
// per-monitor functions (Windows 7, 8 and 8.1): the system's density and the
// classic frame, which on one monitor are what the per-monitor functions give.
#include <gtest/gtest.h>

#include "app/win32/dpi_scale.h"

namespace ranta2kv::win32 {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
// A window handle the functions under test only pass on (no window is made:
// the suite runs without a display).
const HWND kSomeWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x10));

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

TEST(DpiScaleTest, WithoutPerMonitorFunctionsTheScreenDensityServes) {
  EXPECT_EQ(WindowDpi(kSomeWindow, DpiFunctions{}), ScreenDpi());
}

TEST(DpiScaleTest, PerMonitorAnswerOfZeroFallsBackToTheScreen) {
  const DpiFunctions failing{[](HWND) WINAPI -> UINT { return 0; }, nullptr};
  EXPECT_EQ(WindowDpi(kSomeWindow, failing), ScreenDpi());
}

TEST(DpiScaleTest, WithoutPerMonitorFunctionsTheFrameIsTheClassicOne) {
  const SIZE client{345, 359};
  RECT classic{0, 0, client.cx, client.cy};
  ASSERT_TRUE(AdjustWindowRectEx(&classic, kStyle, FALSE, 0));
  const SIZE outer = OuterSizeForClient(client, kStyle, 0, ScreenDpi(), DpiFunctions{});
  EXPECT_EQ(outer.cx, classic.right - classic.left);
  EXPECT_EQ(outer.cy, classic.bottom - classic.top);
  // The per-monitor frame at the screen's density is the same.
  const SIZE perMonitor = OuterSizeForClient(client, kStyle, 0, ScreenDpi());
  EXPECT_EQ(outer.cx, perMonitor.cx);
  EXPECT_EQ(outer.cy, perMonitor.cy);
}

}  // namespace
}  // namespace ranta2kv::win32
