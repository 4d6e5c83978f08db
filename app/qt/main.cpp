// Entry of ranta2kv: the application object, the main window, the event loop.
// The decimal separator of the user's regional settings is taken here once.
#include <QApplication>

#include "app/qt/main_window.h"
#include "app/qt/screenshot_run.h"
#include "platform/locale.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ranta2kv::TForm1 window(ranta2kv::UserDecimalSeparator());
  window.show();
  if (auto request = ranta2kv::ParseScreenshotRequest(QApplication::arguments()))
    ranta2kv::ScheduleScreenshotRun(window, *request);
  return application.exec();
}
