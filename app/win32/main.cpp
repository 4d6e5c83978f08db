// Entry of ranta2kv.exe: COM for the shell's dialog (apartment-threaded, on this
// the one GUI thread), the common controls, the main window and its message
// loop. The decimal separator of the user's regional settings is taken once here.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/win32/main_window.h"
#include "app/win32/screenshot_run.h"
#include "platform/locale.h"

namespace {

int RunMessageLoop(HWND form) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(form, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  int exitCode = 1;
  {
    ranta2kv::win32::TForm1 form(ranta2kv::UserDecimalSeparator());
    if (form.Create(instance, show)) {
      if (auto request = ranta2kv::win32::ParseScreenshotRequest(GetCommandLineW()))
        exitCode = ranta2kv::win32::RunForScreenshot(form, *request);
      else
        exitCode = RunMessageLoop(form.Handle());
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
