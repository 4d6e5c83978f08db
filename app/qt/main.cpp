// Entry of ranta2kv: the application object with Qt's texts in the user's
// language, the main window (with the folder named on the command line, if any),
// the event loop. The decimal separator of the user's regional settings is taken
// here once.
#include <QApplication>
#include <QIcon>

#include <string>
#include <vector>

#include "app/program_info.h"
#include "app/qt/main_window.h"
#include "app/qt/qt_translation.h"
#include "app/qt/screenshot_run.h"
#include "app/qt/start_folder.h"
#include "platform/console.h"
#include "platform/locale.h"

int main(int argc, char** argv) {
  // --help and --version print and end before Qt looks for a screen.
  if (auto info = ranta2kv::ProgramInfo(std::vector<std::string>(argv + 1, argv + argc))) {
    ranta2kv::PrepareStandardStreams();
    ranta2kv::WriteText(ranta2kv::StandardStream::Output, *info);
    return ranta2kv::FlushStream(ranta2kv::StandardStream::Output) ? 0 : 1;
  }
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
