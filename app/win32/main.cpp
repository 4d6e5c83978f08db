// Entry of ranta2kv.exe: COM for the shell's dialog (apartment-threaded, on this
// the one GUI thread), the common controls, the main window and its message
// loop. The decimal separator of the user's regional settings is taken once here.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/program_info.h"
#include "app/win32/main_window.h"
#include "app/win32/screenshot_run.h"
#include "platform/console.h"
#include "platform/locale.h"
#include "platform/wide_text.h"

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

// The program's arguments after its name, in UTF-8.
std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  if (wchar_t** given = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) arguments.push_back(ranta2kv::Utf8FromWide(given[i]));
    LocalFree(given);
  }
  return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // --help and --version print (to the console the program was started from) and end.
  if (auto info = ranta2kv::ProgramInfo(Arguments())) {
    ranta2kv::UseParentConsole();
    ranta2kv::PrepareStandardStreams();
    ranta2kv::WriteText(ranta2kv::StandardStream::Output, *info);
    return ranta2kv::FlushStream(ranta2kv::StandardStream::Output) ? 0 : 1;
  }
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
