// Screen density look-ups of the Win32 window.
#include "app/win32/dpi_scale.h"

namespace ranta2kv::win32 {
namespace {

template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

int ScaledForDpi(int designed, int dpi) { return MulDiv(designed, dpi, kDesignDpi); }

SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi =
      User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client.cx, client.cy};
  if (adjustForDpi != nullptr)
    adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
  else
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace ranta2kv::win32
