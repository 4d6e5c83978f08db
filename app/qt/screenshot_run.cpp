// The screenshot run of the program: a conversion driven through the window's
// own controls, then a picture of the window. An error box that the run raises
// is written to standard error and closed, so that the run never waits for a user.
#include "app/qt/screenshot_run.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace ranta2kv {
namespace {

// Watches for the error box while the run is on; remembers whether it saw one.
class ErrorBoxWatch {
 public:
  explicit ErrorBoxWatch(QObject* owner) : timer_(owner) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { CloseErrorBox(); });
    timer_.start(100);
  }
  bool SawError() const { return saw_error_; }

 private:
  void CloseErrorBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    std::fprintf(stderr, "ranta2kv: %s\n", box->text().toLocal8Bit().constData());
    saw_error_ = true;
    box->reject();
  }
  QTimer timer_;
  bool saw_error_ = false;
};

}  // namespace

std::optional<ScreenshotRequest> ParseScreenshotRequest(const QStringList& arguments) {
  ScreenshotRequest request;
  for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--screenshot-after-run"))
      request.pictureFile = arguments[++i];
    else if (arguments[i] == QLatin1String("--folder"))
      request.folder = arguments[++i];
  }
  request.wholeScreen = arguments.contains(QLatin1String("--whole-screen"));
  if (request.pictureFile.isEmpty() || request.folder.isEmpty()) return std::nullopt;
  return request;
}

void ScheduleScreenshotRun(TForm1& window, const ScreenshotRequest& request) {
  QTimer::singleShot(0, &window, [&window, request] {
    ErrorBoxWatch watch(&window);
    window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(request.folder);
    window.findChild<QAbstractButton*>(QStringLiteral("sbStart"))->click();
    // The screen shows what the window last painted: let it paint first.
    if (request.wholeScreen) {
      QElapsedTimer painting;
      painting.start();
      while (painting.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const QPixmap picture = request.wholeScreen ? window.screen()->grabWindow(0) : window.grab();
    const bool saved = picture.save(request.pictureFile, "PNG");
    QCoreApplication::exit(!saved ? 1 : watch.SawError() ? 2 : 0);
  });
}

}  // namespace ranta2kv
