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

const DpiFunctions& DpiFunctions::OfThisSystem() {
  static const DpiFunctions functions{
      User32Function<decltype(DpiFunctions::getDpiForWindow)>("GetDpiForWindow"),
      User32Function<decltype(DpiFunctions::adjustWindowRectExForDpi)>("AdjustWindowRectExForDpi")};
  return functions;
}

int WindowDpi(HWND window, const DpiFunctions& functions) {
  if (functions.getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = functions.getDpiForWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

int ScaledForDpi(int designed, int dpi) { return MulDiv(designed, dpi, kDesignDpi); }

SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi, const DpiFunctions& functions) {
  RECT rect{0, 0, client.cx, client.cy};
  if (functions.adjustWindowRectExForDpi != nullptr)
    functions.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
  else
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace ranta2kv::win32
