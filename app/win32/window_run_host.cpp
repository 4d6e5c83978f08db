// The Win32 window's run host.
#include "app/win32/window_run_host.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
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

// Each line after the first starts on a new line of the box. Lines reach the box
// in batches (a few times a second while a pass runs, and when it ends): a box
// that takes each of thousands of lines on its own grows slower with every line.
void WindowRunHost::AppendLog(const std::string& line1251) {
  if (!pending_log_.empty()) pending_log_ += L"\r\n";
  pending_log_ += WideFromUtf8(Cp1251ToUtf8(line1251));
}

void WindowRunHost::FlushLog() {
  last_flushed_ = std::chrono::steady_clock::now();
  if (pending_log_.empty()) return;
  const int length = GetWindowTextLengthW(controls_.log);
  if (length > 0) pending_log_.insert(0, L"\r\n");
  SendMessageW(controls_.log, EM_SETSEL, length, length);
  SendMessageW(controls_.log, EM_REPLACESEL, FALSE,
               reinterpret_cast<LPARAM>(pending_log_.c_str()));
  pending_log_.clear();
  // The caret at the start of the last line: the log shows its lines from their
  // beginning, scrolled down to the last one.
  const LRESULT lastLine = SendMessageW(controls_.log, EM_GETLINECOUNT, 0, 0) - 1;
  const LRESULT lineStart = SendMessageW(controls_.log, EM_LINEINDEX, lastLine, 0);
  SendMessageW(controls_.log, EM_SETSEL, lineStart, lineStart);
  SendMessageW(controls_.log, EM_SCROLLCARET, 0, 0);
}

void WindowRunHost::ClearLog() {
  pending_log_.clear();
  SetWindowTextW(controls_.log, L"");
}

// The bar keeps at least one step of range, so that an empty estimate still
// shows an empty bar.
void WindowRunHost::SetProgressMax(int maximum) {
  progress_maximum_ = std::max(maximum, 1);
  progress_position_ = std::min(progress_position_, progress_maximum_);
  SendMessageW(controls_.progress, PBM_SETRANGE32, 0, progress_maximum_);
  progress_shown_ = -1;
  ShowProgress();
}

void WindowRunHost::SetProgressPosition(int position) {
  progress_position_ = std::clamp(position, 0, progress_maximum_);
  ShowProgress();
}

// Stepping stops at the maximum (the control's own step would wrap to the start).
void WindowRunHost::StepProgress() { SetProgressPosition(progress_position_ + 1); }

// The bar is redrawn when its fill moves by a thousandth or reaches an end: a
// redraw for each of many thousand rows would cost more than the rows.
void WindowRunHost::ShowProgress() {
  const int stride = std::max(1, progress_maximum_ / 1000);
  if (progress_position_ != 0 && progress_position_ != progress_maximum_ &&
      std::abs(progress_position_ - progress_shown_) < stride)
    return;
  SendMessageW(controls_.progress, PBM_SETPOS, progress_position_, 0);
  progress_shown_ = progress_position_;
}

// Under Wine a look into the message queue costs a round trip to the server, more
// than a row of the walk, so the queue is looked into at most every few
// milliseconds: Stop and every other input still reach the pass at once for a
// user. Right after the busy state changes it is always looked into.
void WindowRunHost::ProcessPendingEvents() {
  const auto now = std::chrono::steady_clock::now();
  if (now - last_flushed_ >= kLogInterval) FlushLog();
  if (now - last_processed_ < kProcessingInterval) return;
  ProcessPendingMessages(controls_.window);
  last_processed_ = std::chrono::steady_clock::now();
}

// The hourglass is shown at once; the window keeps it on through WM_SETCURSOR.
void WindowRunHost::SetBusyIndication(bool busy) {
  busy_shown_ = busy;
  last_processed_ = {};
  last_flushed_ = {};
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
