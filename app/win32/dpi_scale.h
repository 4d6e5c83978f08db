// The screen density of a window: designed geometry is in pixels at 96 dpi and
// is scaled to the window's monitor. The per-monitor functions are looked up at
// run time, so the program also starts where the system lacks them (Windows 7,
// 8 and 8.1: then the system's density and the classic frame).
#pragma once

#include <windows.h>

namespace ranta2kv::win32 {

inline constexpr int kDesignDpi = 96;

// The per-monitor density functions of user32 (Windows 10, version 1607 and
// later); null where the system lacks them.
struct DpiFunctions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;

  static const DpiFunctions& OfThisSystem();  // looked up once
};

int WindowDpi(HWND window, const DpiFunctions& functions = DpiFunctions::OfThisSystem());
int ScaledForDpi(int designed, int dpi);
// The outer rectangle of a window of `style` around a client area of that size.
SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi,
                        const DpiFunctions& functions = DpiFunctions::OfThisSystem());

}  // namespace ranta2kv::win32
