// The run host of the Win32 main window: what a conversion pass sees of it. Log
// lines go into the log box, the progress bar follows the rows, the hourglass
// stays over the whole window while busy, and Start/Stop follow the run flag.
#pragma once

#include <windows.h>

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

  // After a failed pass: normal cursor, `Running` false, the bar at 0, the button rule.
  void ReturnToReady();
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
  WindowControls controls_;
  bool busy_shown_ = false;
};

// Hands every pending message of this thread to its window, the main window's
// keyboard navigation included; a quit request is put back for the main loop.
void ProcessPendingMessages(HWND dialogWindow);

}  // namespace ranta2kv::win32
