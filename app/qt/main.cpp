// Entry of ranta2kv: the application object with Qt's texts in the user's
// language, the main window (with the folder named on the command line, if any),
// the event loop. The decimal separator of the user's regional settings is taken
// here once.
#include <QApplication>
#include <QIcon>

#include "app/qt/main_window.h"
#include "app/qt/qt_translation.h"
#include "app/qt/screenshot_run.h"
#include "app/qt/start_folder.h"
#include "platform/locale.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The installed desktop entry and icon (hicolor theme) name the window to the desktop.
  QGuiApplication::setDesktopFileName(QStringLiteral("ranta2kv"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ranta2kv")));
  ranta2kv::InstallQtTranslation(application);
  ranta2kv::TForm1 window(ranta2kv::UserDecimalSeparator());
  if (auto folder = ranta2kv::StartFolder(QApplication::arguments())) window.OpenFolder(*folder);
  window.show();
  if (auto request = ranta2kv::ParseScreenshotRequest(QApplication::arguments()))
    ranta2kv::ScheduleScreenshotRun(window, *request);
  return application.exec();
}
