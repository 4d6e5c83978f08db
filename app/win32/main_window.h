// The main window `TForm1` on Windows: folder box with browse button, the
// "OLE DB" choice, Start and Stop, the log and the progress bar, as a plain
// Win32 window built from the form design. It is the window controller's view:
// the rules of what the window does live in the controller; the passes run on
// this thread and let messages through per row.
#pragma once

#include <windows.h>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form_design.h"
#include "app/win32/flat_button.h"
#include "app/win32/window_run_host.h"
#include "app/window_controller.h"
#include "app/window_view.h"

namespace ranta2kv::win32 {

class TForm1 : private WindowView {
 public:
  // The folder chooser: title, and the folder to open at / the chosen folder.
  using FolderChooser = std::function<bool(const std::wstring& title, std::wstring& folder)>;
  using ConversionPass = CapturedFolderHost::ConversionPass;

  explicit TForm1(char decimalSeparator);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Creates the window with its controls at the designed place and shows it.
  bool Create(HINSTANCE instance, int show);
  HWND Handle() const { return window_; }
  bool Running() const { return host_ && host_->Running(); }

  // What the buttons call; the real chooser and passes unless replaced.
  FolderChooser selectFolder;
  ConversionPass convertDbf;
  ConversionPass convertOleDb;

  void FormCreate();
  void Edit1Change();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void sbStopClick();

 private:
  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  BOOL OnCreate(HWND window, LPCREATESTRUCTW create);
  void OnSize(HWND window, UINT state, int width, int height);
  void OnCommand(HWND window, int id, HWND control, UINT code);
  void OnDrawItem(HWND window, const DRAWITEMSTRUCT* item);
  BOOL OnSetCursor(HWND window, HWND under, UINT hitTest, UINT mouseMessage);
  HBRUSH OnCtlColorStatic(HWND window, HDC dc, HWND control, int type);
  void OnDropFiles(HWND window, HDROP drop);
  void OnActivate(HWND window, UINT state, HWND other, BOOL minimized);
  void OnClose(HWND window);
  void OnDestroy(HWND window);
  void OnDpiChanged(int dpi, const RECT& suggested);

  void CreateControls();
  void ApplyDpi();
  void PlaceControls();
  // Puts the window at its designed place, or where it fits the work area of
  // the screen that place is on.
  void PlaceOnScreen();
  std::wstring FolderBoxText() const;

  // The view of the controller.
  std::filesystem::path FolderBoxFolder() const override;
  void SetFolderBoxFolder(const std::filesystem::path& folder) override;
  bool Checked(FormControl checkBox) const override;
  void EnableControl(FormControl control, bool enabled) override;
  bool ChooseFolder(const std::wstring& title, std::filesystem::path& folder) override;
  std::filesystem::path ProgramFolder() const override;
  void ShowErrorReport(const std::string& messageUtf8) override;
  void AfterRun() override;
  void CloseNow() override;
  std::vector<std::wstring> FontFamilies() const override;
  int TextWidth(const FontChoice& font, std::wstring_view text) const override;

  HWND Label1 = nullptr;
  HWND SpeedButton1 = nullptr;
  HWND sbStop = nullptr;
  HWND sbStart = nullptr;
  HWND Edit1 = nullptr;
  HWND ProgressBar1 = nullptr;
  HWND Memo1 = nullptr;
  HWND CheckBox1 = nullptr;

  std::array<HWND, kFormControlCount> controls_{};  // by FormControl
  HWND window_ = nullptr;
  char decimal_separator_;
  int dpi_ = 96;
  HFONT font_ = nullptr;                       // the designed font at the window's density
  std::array<FlatButton, kFormControlCount> flat_buttons_;  // by FormControl; the design's flat buttons attached
  std::unique_ptr<WindowRunHost> host_;        // holds the run flag `Running`
  std::unique_ptr<WindowController> controller_;
  HWND last_focus_ = nullptr;                  // the control that had the focus when deactivated
};

}  // namespace ranta2kv::win32
