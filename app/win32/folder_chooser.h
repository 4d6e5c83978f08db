// The shell's folder-browse dialog behind the browse button: only file-system
// folders can be confirmed, and an existing folder given on entry is selected
// when the dialog opens.
#pragma once

#include <windows.h>

#include <string>

namespace ranta2kv::win32 {

// Shows the dialog owned by `owner` with `title` above the tree; the tree starts
// at `root` (empty: the desktop). On entry `folder` is the folder to pre-select
// (ignored unless it is an existing directory); when the user confirms a choice
// it becomes the chosen folder and the result is true. Cancel: false, `folder`
// unchanged. While the dialog is up the application's other windows are
// disabled and the system's critical-error boxes are suppressed.
bool SelectFolder(HWND owner, const std::wstring& title, const std::wstring& root,
                  std::wstring& folder);

}  // namespace ranta2kv::win32
