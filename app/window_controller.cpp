// The behaviour of the main window.
#include "app/window_controller.h"

#include <exception>

#include "app/folder_box_rule.h"
#include "common/failure_text.h"

namespace ranta2kv {

WindowController::WindowController(WindowView& view, CapturedFolderHost& host, const ConversionPass& convertDbf,
                                   const ConversionPass& convertOleDb)
    : view_(view), host_(host), convert_dbf_(convertDbf), convert_oledb_(convertOleDb) {}

void WindowController::FormCreate() { host_.SetRunning(false); }

// While a pass runs Start stays as the pass set it: a second pass cannot start
// from inside the first one's event processing.
void WindowController::Edit1Change() {
  if (!pass_active_) view_.EnableControl(FormControl::sbStart, NamesExistingDirectory(view_.FolderBoxFolder()));
}

void WindowController::SpeedButton1Click() {
  std::filesystem::path folder = FolderChooserStart(view_.FolderBoxFolder(), view_.ProgramFolder());
  if (view_.ChooseFolder(kFolderChooserTitle, folder)) view_.SetFolderBoxFolder(folder);
}

void WindowController::SpeedButton2Click() {
  if (pass_active_) return;
  RunPass(view_.Checked(FormControl::CheckBox1) ? convert_oledb_ : convert_dbf_);
}

void WindowController::sbStopClick() { host_.SetRunning(false); }

bool WindowController::CloseRequested() {
  if (!pass_active_) return true;
  close_requested_ = true;
  host_.SetRunning(false);
  return false;
}

// A failed pass has left the window Ready; its message goes into the error box
// once the window shows what the run logged.
void WindowController::RunPass(const ConversionPass& pass) {
  pass_active_ = true;
  const std::exception_ptr failure = host_.Run(view_.FolderBoxFolder(), pass);
  pass_active_ = false;
  view_.AfterRun();
  if (failure) view_.ShowErrorReport(FailureTextUtf8(failure));
  if (close_requested_) view_.CloseNow();
}

FontChoice WindowController::DesignedFont(int dpi) const {
  return ChooseDesignedFont(view_.FontFamilies(), dpi,
                            [this](const FontChoice& font, std::wstring_view text) { return view_.TextWidth(font, text); });
}

}  // namespace ranta2kv
