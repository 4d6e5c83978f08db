// The run host of the Win32 main window: what a conversion pass sees of it. Log
// lines go into the log box, the progress bar follows the rows, the hourglass
// stays over the whole window while busy, and Start/Stop follow the run flag.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "app/captured_folder_host.h"

namespace ranta2kv::win32 {

// The controls a pass works through; all owned by the window.
struct WindowControls {
  HWND window;      // TForm1, whose message loop runs during a pass
  HWND folderBox;   // Edit1
  HWND log;         // Memo1
  HWND progress;    // ProgressBar1
  HWND start;       // sbStart
  HWND stop;        // sbStop
};

class WindowRunHost final : public CapturedFolderHost {
 public:
  WindowRunHost(const WindowControls& controls, char decimalSeparator);

  // Puts the log lines appended since the last time into the log box.
  void FlushLog();
  // Whether the hourglass is on; the window shows it wherever the mouse is.
  bool BusyShown() const { return busy_shown_; }

  void AppendLog(const std::string& line1251) override;
  void ClearLog() override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;
  void ProcessPendingEvents() override;
  void SetBusyIndication(bool busy) override;
  void ApplyButtonRule() override;

 private:
  void ShowProgress();

  WindowControls controls_;
  bool busy_shown_ = false;
  int progress_maximum_ = 100;
  int progress_position_ = 0;
  int progress_shown_ = 0;    // the position the bar was last given
  static constexpr std::chrono::milliseconds kProcessingInterval{5};
  static constexpr std::chrono::milliseconds kLogInterval{50};
  std::wstring pending_log_;      // lines not yet in the box, between line breaks
  std::chrono::steady_clock::time_point last_flushed_{};
  std::chrono::steady_clock::time_point last_processed_{};  // the last look into the queue
};

// Hands every pending message of this thread to its window, the main window's
// keyboard navigation included; a quit request is put back for the main loop.
void ProcessPendingMessages(HWND dialogWindow);

}  // namespace ranta2kv::win32
