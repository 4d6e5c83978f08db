// The Win32 window's run host.
#include "app/win32/window_run_host.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/folder_box_rule.h"
#include "common/codepage.h"
#include "platform/wide_text.h"

namespace ranta2kv::win32 {
namespace {

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)), L'\0');
  GetWindowTextW(control, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

}  // namespace

void ProcessPendingMessages(HWND dialogWindow) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (dialogWindow != nullptr && IsDialogMessageW(dialogWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

WindowRunHost::WindowRunHost(const WindowControls& controls, char decimalSeparator)
    : CapturedFolderHost(decimalSeparator), controls_(controls) {}

void WindowRunHost::ReturnToReady() {
  SetBusyIndication(false);
  SetRunning(false);
  SetProgressPosition(0);
  ApplyButtonRule();
}

// Each line after the first starts on a new line of the box.
void WindowRunHost::AppendLog(const std::string& line1251) {
  const int length = GetWindowTextLengthW(controls_.log);
  std::wstring text = length > 0 ? L"\r\n" : L"";
  text += WideFromUtf8(Cp1251ToUtf8(line1251));
  SendMessageW(controls_.log, EM_SETSEL, length, length);
  SendMessageW(controls_.log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void WindowRunHost::ClearLog() { SetWindowTextW(controls_.log, L""); }

// The bar keeps at least one step of range, so that an empty estimate still
// shows an empty bar.
void WindowRunHost::SetProgressMax(int maximum) {
  SendMessageW(controls_.progress, PBM_SETRANGE32, 0, std::max(maximum, 1));
}

void WindowRunHost::SetProgressPosition(int position) {
  const int maximum = static_cast<int>(SendMessageW(controls_.progress, PBM_GETRANGE, FALSE, 0));
  SendMessageW(controls_.progress, PBM_SETPOS, std::clamp(position, 0, maximum), 0);
}

// Stepping stops at the maximum: the control's own step would wrap to the start.
void WindowRunHost::StepProgress() {
  SetProgressPosition(static_cast<int>(SendMessageW(controls_.progress, PBM_GETPOS, 0, 0)) + 1);
}

void WindowRunHost::ProcessPendingEvents() { ProcessPendingMessages(controls_.window); }

// The hourglass is shown at once; the window keeps it on through WM_SETCURSOR.
void WindowRunHost::SetBusyIndication(bool busy) {
  busy_shown_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

// Start also needs an existing folder, so that the end of a run during which the
// folder box was edited leaves the window as the box's text says.
void WindowRunHost::ApplyButtonRule() {
  EnableWindow(controls_.start,
               StartEnabled(Running(), std::filesystem::path(TextOf(controls_.folderBox))));
  EnableWindow(controls_.stop, Running());
}

}  // namespace ranta2kv::win32
