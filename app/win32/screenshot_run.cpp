// The screenshot run of the Win32 window: the conversion is driven through the
// window's own controls, then the window is copied from the screen into a BMP.
// An error box that the run raises is closed, so that the run never waits.
#include "app/win32/screenshot_run.h"

#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "app/win32/control_ids.h"

namespace ranta2kv::win32 {
namespace {

bool saw_error_box = false;
HWND screenshot_form = nullptr;

BOOL CALLBACK CloseOwnedErrorBox(HWND window, LPARAM) {
  wchar_t className[16];
  if (GetWindow(window, GW_OWNER) == screenshot_form &&
      GetClassNameW(window, className, 16) && std::wstring(className) == L"#32770") {
    saw_error_box = true;
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

void CALLBACK WatchForErrorBox(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), CloseOwnedErrorBox, 0);
}

// Lets painting finish: the window's own messages, and time for the screen.
void SettleOnScreen(HWND form) {
  for (int round = 0; round < 10; ++round) {
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ProcessPendingMessages(form);
    Sleep(50);
  }
}

bool SaveWindowPicture(HWND form, const std::wstring& file, bool wholeScreen) {
  RECT rect;
  if (wholeScreen)
    rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  else
    GetWindowRect(form, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;  // bottom-up rows, as a BMP file keeps them
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * height);
  const int lines = GetDIBits(memory, bitmap, 0, height, pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (lines != height) return false;

  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
  fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
  std::FILE* out = _wfopen(file.c_str(), L"wb");
  if (out == nullptr) return false;
  bool written = std::fwrite(&fileHeader, sizeof(fileHeader), 1, out) == 1 &&
                 std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                 std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
  written = std::fclose(out) == 0 && written;
  return written;
}

}  // namespace

std::optional<ScreenshotRequest> ParseScreenshotRequest(const wchar_t* commandLine) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
  if (arguments == nullptr) return std::nullopt;
  ScreenshotRequest request;
  for (int i = 1; i + 1 < count; ++i) {
    const std::wstring argument = arguments[i];
    if (argument == L"--screenshot-after-run")
      request.pictureFile = arguments[++i];
    else if (argument == L"--folder")
      request.folder = arguments[++i];
  }
  for (int i = 1; i < count; ++i)
    if (std::wstring(arguments[i]) == L"--whole-screen") request.wholeScreen = true;
  LocalFree(arguments);
  if (request.pictureFile.empty() || request.folder.empty()) return std::nullopt;
  return request;
}

int RunForScreenshot(TForm1& form, const ScreenshotRequest& request) {
  HWND window = form.Handle();
  screenshot_form = window;
  SettleOnScreen(window);
  SetDlgItemTextW(window, kEdit1, request.folder.c_str());
  const UINT_PTR watch = SetTimer(nullptr, 0, 100, WatchForErrorBox);
  SendDlgItemMessageW(window, kSbStart, BM_CLICK, 0, 0);
  KillTimer(nullptr, watch);
  SettleOnScreen(window);
  const bool saved = SaveWindowPicture(window, request.pictureFile, request.wholeScreen);
  return !saved ? 1 : saw_error_box ? 2 : 0;
}

}  // namespace ranta2kv::win32
