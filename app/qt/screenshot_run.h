// A hidden option of the program for pictures of the window: with
// `--screenshot-after-run FILE --folder DIR` the window converts DIR once with
// the checked pass, saves a PNG of itself to FILE and ends the program.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "app/qt/main_window.h"

namespace ranta2kv {

struct ScreenshotRequest {
  QString pictureFile;  // where the PNG goes
  QString folder;       // the estimate folder to convert
  bool wholeScreen = false;  // --whole-screen: the screen around the window, not the window alone
};

// Nothing when the arguments do not ask for a screenshot (or lack one of the two).
std::optional<ScreenshotRequest> ParseScreenshotRequest(const QStringList& arguments);

// Once the event loop runs: folder into the box, Start, picture, end of the
// program. Exit code 0, or 1 when the picture could not be saved, 2 when the
// run showed an error box (closed by itself; its text goes to standard error).
void ScheduleScreenshotRun(TForm1& window, const ScreenshotRequest& request);

}  // namespace ranta2kv
