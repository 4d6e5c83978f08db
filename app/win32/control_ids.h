// The control ids of the main window, one per control, so that a program that
// drives the window from outside (the window tests) finds each control by id.
#pragma once

namespace ranta2kv::win32 {

enum ControlId : int {
  kLabel1 = 101,
  kSpeedButton1 = 102,
  kSbStop = 103,
  kSbStart = 104,
  kEdit1 = 105,
  kProgressBar1 = 106,
  kMemo1 = 107,
  kCheckBox1 = 108,
};

// The window class of the main window and its caption (UTF-16).
inline constexpr wchar_t kMainWindowClass[] = L"TForm1";
inline constexpr wchar_t kMainWindowCaption[] = L"Ранта+ DBF -> KV XML";

}  // namespace ranta2kv::win32
