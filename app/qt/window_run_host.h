// The run host of the main window: what a conversion pass sees of the window.
// Log lines go into the log box, the progress bar follows the rows, the busy
// cursor is the application's override cursor, and Start/Stop follow the run flag.
#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <filesystem>

#include "app/captured_folder_host.h"

namespace ranta2kv {

// The controls a pass works through; all owned by the window.
struct WindowControls {
  QLineEdit* folderBox;     // Edit1
  QPlainTextEdit* log;      // Memo1
  QProgressBar* progress;   // ProgressBar1
  QAbstractButton* start;   // sbStart
  QAbstractButton* stop;    // sbStop
};

class WindowRunHost final : public CapturedFolderHost {
 public:
  WindowRunHost(const WindowControls& controls, char decimalSeparator);
  ~WindowRunHost() override;  // a busy cursor still shown is taken back

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
  bool busy_shown_ = false;       // this host has pushed the wait cursor (once at most)
};

}  // namespace ranta2kv
