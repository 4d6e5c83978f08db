// Tests of where the window opens on a real X server (run under Xvfb at several
// screen sizes, see CMakeLists.txt): wholly on the screen's work area, with
// Start, Stop and the progress bar on it, and at its designed place and size
// where the screen is large enough.
#include <QApplication>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include "app/qt/main_window.h"

namespace ranta2kv {

class ScreenPlacementTest : public QObject {
  Q_OBJECT

 private slots:
  void WindowOpensWhollyOnTheScreen() {
    TForm1 form('.');
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect area = form.screen()->availableGeometry();
    const QSize expected = ExpectedScreen();
    if (expected.isValid()) QCOMPARE(form.screen()->geometry().size(), expected);
    QTRY_VERIFY2(area.contains(form.frameGeometry()),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5x%6")
                                .arg(form.frameGeometry().x())
                                .arg(form.frameGeometry().y())
                                .arg(form.frameGeometry().width())
                                .arg(form.frameGeometry().height())
                                .arg(area.width())
                                .arg(area.height())));
    for (const char* name : {"sbStart", "sbStop", "ProgressBar1"}) {
      QWidget* control = form.findChild<QWidget*>(QString::fromLatin1(name));
      const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
      QVERIFY2(area.contains(onScreen), name);
    }
    // The design's place and size stay where they fit.
    if (area.width() >= 436 + 353 && area.height() >= 449 + 393) {
      QCOMPARE(form.geometry().size(), QSize(345, 359));
      QCOMPARE(form.frameGeometry().topLeft(), QPoint(436, 449));
    }
  }

 private:
  // RANTA2KV_SCREEN=WxH: the screen the test was started on.
  static QSize ExpectedScreen() {
    const QStringList size = qEnvironmentVariable("RANTA2KV_SCREEN").split(QLatin1Char('x'));
    return size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt()) : QSize();
  }
};

}  // namespace ranta2kv

QTEST_MAIN(ranta2kv::ScreenPlacementTest)
#include "screen_placement_test.moc"
