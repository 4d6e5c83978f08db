// Tests of the window's run host on bare controls: log lines from windows-1251,
// the progress bar's range and steps, and the balance of the wait cursor.
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/qt/window_run_host.h"
#include "common/codepage.h"

namespace ranta2kv {

class WindowRunHostTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    box_ = std::make_unique<QLineEdit>();
    log_ = std::make_unique<QPlainTextEdit>();
    bar_ = std::make_unique<QProgressBar>();
    start_ = std::make_unique<QToolButton>();
    stop_ = std::make_unique<QToolButton>();
    host_ = std::make_unique<WindowRunHost>(
        WindowControls{box_.get(), log_.get(), bar_.get(), start_.get(), stop_.get()}, ',');
  }
  void cleanup() { host_.reset(); }

  void LogLinesArriveInUnicodeOnePerLine() {
    host_->AppendLog(std::string("Некорректные данные. Строка 7"_cp1251));
    host_->AppendLog(std::string("№ 5 – «итог»"_cp1251));
    QCOMPARE(log_->toPlainText(),
             QStringLiteral("Некорректные данные. Строка 7\n№ 5 – «итог»"));
    host_->ClearLog();
    QVERIFY(log_->toPlainText().isEmpty());
  }

  void StepsStopAtTheMaximum() {
    host_->SetProgressMax(3);
    host_->SetProgressPosition(0);
    for (int i = 0; i < 5; ++i) host_->StepProgress();
    QCOMPARE(bar_->maximum(), 3);
    QCOMPARE(bar_->value(), 3);
  }

  void EmptyTableKeepsAnEmptyBarNotABusyOne() {
    host_->SetProgressMax(0);
    host_->SetProgressPosition(0);
    QVERIFY(bar_->maximum() > bar_->minimum());
    QCOMPARE(bar_->value(), 0);
  }

  void WaitCursorIsPushedOnceAndTakenBackOnce() {
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    host_->SetBusyIndication(true);
    host_->SetBusyIndication(true);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    host_->SetBusyIndication(false);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    host_->SetBusyIndication(false);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  }

  void HostGoneTakesItsWaitCursorWithIt() {
    host_->SetBusyIndication(true);
    host_.reset();
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  }

  void ButtonRuleFollowsTheRunFlagAndTheFolder() {
    QTemporaryDir folder;
    box_->setText(folder.path());
    host_->SetRunning(true);
    host_->ApplyButtonRule();
    QVERIFY(!start_->isEnabled());
    QVERIFY(stop_->isEnabled());
    host_->SetRunning(false);
    host_->ApplyButtonRule();
    QVERIFY(start_->isEnabled());
    QVERIFY(!stop_->isEnabled());
    box_->setText(folder.filePath(QStringLiteral("missing")));
    host_->ApplyButtonRule();
    QVERIFY(!start_->isEnabled());
  }

  void ReturnToReadyUndoesABrokenRun() {
    QTemporaryDir folder;
    box_->setText(folder.path());
    BeginBusy(*host_);
    host_->ApplyButtonRule();
    host_->SetProgressMax(10);
    host_->SetProgressPosition(6);
    host_->ReturnToReady();
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(!host_->Running());
    QCOMPARE(bar_->value(), 0);
    QVERIFY(start_->isEnabled());
    QVERIFY(!stop_->isEnabled());
  }

 private:
  std::unique_ptr<QLineEdit> box_;
  std::unique_ptr<QPlainTextEdit> log_;
  std::unique_ptr<QProgressBar> bar_;
  std::unique_ptr<QToolButton> start_;
  std::unique_ptr<QToolButton> stop_;
  std::unique_ptr<WindowRunHost> host_;
};

}  // namespace ranta2kv

QTEST_MAIN(ranta2kv::WindowRunHostTest)
#include "window_run_host_test.moc"
