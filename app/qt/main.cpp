// Entry of ranta2kv: the application object, the main window, the event loop.
// The decimal separator of the user's locale is taken once Qt has set the locale.
#include <QApplication>

#include "app/qt/main_window.h"
#include "app/qt/screenshot_run.h"
#include "common/number_text.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ranta2kv::TForm1 window(ranta2kv::LocaleDecimalSeparator());
  window.show();
  if (auto request = ranta2kv::ParseScreenshotRequest(QApplication::arguments()))
    ranta2kv::ScheduleScreenshotRun(window, *request);
  return application.exec();
}
