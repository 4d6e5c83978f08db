// A hidden option of the program for pictures of the window: with
// `--screenshot-after-run FILE.bmp --folder DIR` the window converts DIR once
// with the checked pass, saves a picture of itself as it is on the screen and
// ends the program.
#pragma once

#include <optional>
#include <string>

#include "app/win32/main_window.h"

namespace ranta2kv::win32 {

struct ScreenshotRequest {
  std::wstring pictureFile;  // where the 24-bit BMP goes
  std::wstring folder;       // the estimate folder to convert
  bool wholeScreen = false;  // --whole-screen: the screen around the window, not the window alone
};

// Nothing when the command line does not ask for a screenshot (or lacks one of the two).
std::optional<ScreenshotRequest> ParseScreenshotRequest(const wchar_t* commandLine);

// Folder into the box, Start, picture. Exit code 0, or 1 when the picture could
// not be saved, 2 when the run showed an error box (closed by itself).
int RunForScreenshot(TForm1& form, const ScreenshotRequest& request);

}  // namespace ranta2kv::win32
