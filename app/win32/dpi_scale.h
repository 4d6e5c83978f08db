// The screen density of a window: designed geometry is in pixels at 96 dpi and
// is scaled to the window's monitor. GetDpiForWindow is looked up at run time,
// so the program also starts where the system lacks it (then 96 dpi).
#pragma once

#include <windows.h>

namespace ranta2kv::win32 {

inline constexpr int kDesignDpi = 96;

int WindowDpi(HWND window);
int ScaledForDpi(int designed, int dpi);
// The outer rectangle of a window of `style` around a client area of that size.
SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi);

}  // namespace ranta2kv::win32
