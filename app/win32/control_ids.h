// The control ids of the main window, one per control, so that a program that
// drives the window from outside (the window tests) finds each control by id.
#pragma once

#include "app/form_design.h"

namespace ranta2kv::win32 {

// The id of each control: its place in the form design, from 101 on.
inline constexpr int kFirstControlId = 101;
constexpr int ControlIdOf(FormControl control) { return kFirstControlId + static_cast<int>(control); }

enum ControlId : int {
  kLabel1 = ControlIdOf(FormControl::Label1),
  kSpeedButton1 = ControlIdOf(FormControl::SpeedButton1),
  kSbStop = ControlIdOf(FormControl::sbStop),
  kSbStart = ControlIdOf(FormControl::sbStart),
  kEdit1 = ControlIdOf(FormControl::Edit1),
  kProgressBar1 = ControlIdOf(FormControl::ProgressBar1),
  kMemo1 = ControlIdOf(FormControl::Memo1),
  kCheckBox1 = ControlIdOf(FormControl::CheckBox1),
};

// The window class of the main window and its caption (UTF-16).
inline constexpr wchar_t kMainWindowClass[] = L"TForm1";
inline constexpr const wchar_t* kMainWindowCaption = kFormCaption;

}  // namespace ranta2kv::win32
