// Tests of the run control between the window and a pass (scripted passes): the
// pass chosen by "OLE DB", the busy state, Stop, failures, and Start refused
// while a pass runs.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "app/qt/folder_path.h"
#include "app/qt/main_window.h"
#include "common/codepage.h"
#include "tests/app/support/error_box_closer.h"
#include "tests/app/support/form_controls.h"
#include "tests/app/support/scripted_pass.h"

namespace ranta2kv {
namespace {

bool WaitCursorShown() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

// What the window showed while a row was being walked.
struct RowView {
  bool waitCursor = false;
  bool startEnabled = true;
  bool stopEnabled = false;
  bool running = false;
  int position = -1;
};

}  // namespace

class RunControlTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
  void init() {
    QVERIFY(folder_.isValid());
    form_ = std::make_unique<TForm1>('.');
    dbf_ = testing::ScriptedPass{};
    oleDb_ = testing::ScriptedPass{};
    form_->convertDbf = std::ref(dbf_);
    form_->convertOleDb = std::ref(oleDb_);
    box()->setText(folder_.path());
  }
  void cleanup() { form_.reset(); }

  void CheckedOleDbRunsTheOleDbPass() {
    start()->click();
    QCOMPARE(oleDb_.calls, 1);
    QCOMPARE(dbf_.calls, 0);
    QCOMPARE(oleDb_.folderSeen, ToFilesystemPath(folder_.path()));
  }

  void UncheckedOleDbRunsTheDirectPass() {
    form_->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(false);
    start()->click();
    QCOMPARE(dbf_.calls, 1);
    QCOMPARE(oleDb_.calls, 0);
  }

  void RunShowsBusyStateAndEndsReady() {
    RowView view;
    oleDb_.rows = 7;
    oleDb_.afterRow = [&](int row) {
      if (row == 3) view = Observe();
    };
    start()->click();
    QVERIFY(view.waitCursor);
    QVERIFY(view.running);
    QVERIFY(!view.startEnabled);
    QVERIFY(view.stopEnabled);
    QCOMPARE(view.position, 3);
    QCOMPARE(oleDb_.rowsDone, 7);
    ExpectReady();
    QCOMPARE(log()->toPlainText(),
             QStringLiteral("Записан файл \"SCRIPTED.XML\"\nразделов 0, позиций 7, пропущено строк 0"));
  }

  void StopPartWayEndsTheWalkAfterThatRow() {
    oleDb_.rows = 50;
    oleDb_.afterRow = [&](int row) {
      if (row == 12) QTimer::singleShot(0, stop(), &QToolButton::click);
    };
    start()->click();
    QCOMPARE(oleDb_.rowsDone, 12);
    ExpectReady();
    QVERIFY(log()->toPlainText().startsWith(QStringLiteral("Конвертация остановлена.\nЗаписан файл ")));
  }

  void SetUpFailureLogsOneLineAndLeavesTheWindowAlone() {
    oleDb_.setUpLog = std::string("Ошибка инициализации : не найдены таблицы данных"_cp1251);
    start()->click();
    QCOMPARE(log()->toPlainText(), QStringLiteral("Ошибка инициализации : не найдены таблицы данных"));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(start()->isEnabled());
    QVERIFY(!stop()->isEnabled());
  }

  void FailureShowsTheErrorBoxAndReturnsToReady() {
    oleDb_.rows = 20;
    oleDb_.failAfterRow = 5;
    oleDb_.failure = std::string("TQXSmartDBF.InternalOpen: BufferSize too small!");
    testing::ErrorBoxCloser closer;
    start()->click();
    QCOMPARE(closer.Texts(), QStringList{QStringLiteral("TQXSmartDBF.InternalOpen: BufferSize too small!")});
    QCOMPARE(closer.Titles(), QStringList{form_->windowTitle()});
    ExpectReady();
    QVERIFY(log()->toPlainText().isEmpty());  // a failed run has no result line
  }

  void FailureTextIsShownInUnicode() {
    oleDb_.failAfterRow = 1;
    oleDb_.failure = std::string("Индекс за пределами диапазона"_cp1251);
    testing::ErrorBoxCloser closer;
    start()->click();
    QCOMPARE(closer.Texts(), QStringList{QStringLiteral("Индекс за пределами диапазона")});
  }

  void SecondStartClearsThePreviousLog() {
    oleDb_.afterRow = [&](int row) {
      if (row == 1) log_empty_at_first_row_ = log()->toPlainText().isEmpty();
    };
    log()->setPlainText(QStringLiteral("строка прошлого прогона"));
    start()->click();
    QVERIFY(!log()->toPlainText().contains(QStringLiteral("строка прошлого прогона")));
    QVERIFY(log_empty_at_first_row_);
  }

  void StartDuringARunIsRefused() {
    oleDb_.afterRow = [&](int row) {
      if (row != 2) return;
      box()->setText(folder_.path() + QStringLiteral("/"));  // the folder still exists
      start_enabled_after_edit_ = start()->isEnabled();
      form_->SpeedButton2Click();
    };
    start()->click();
    QVERIFY(!start_enabled_after_edit_);
    QCOMPARE(oleDb_.calls, 1);
    ExpectReady();
  }

  void FolderEditedDuringARunDoesNotMoveTheRun() {
    QTemporaryDir other;
    oleDb_.afterRow = [&](int row) {
      if (row == 2) box()->setText(other.path());
    };
    start()->click();
    QCOMPARE(oleDb_.folderSeen, ToFilesystemPath(folder_.path()));
    QCOMPARE(box()->text(), other.path());
    QVERIFY(start()->isEnabled());
  }

  void RunEndingWithTheFolderGoneLeavesStartDisabled() {
    oleDb_.afterRow = [&](int row) {
      if (row == 2) box()->setText(folder_.filePath(QStringLiteral("gone")));
    };
    start()->click();
    QVERIFY(!start()->isEnabled());
    QVERIFY(!stop()->isEnabled());
    QVERIFY(!form_->Running());
  }

  void ClosingTheWindowStopsTheRun() {
    form_->show();
    oleDb_.rows = 40;
    oleDb_.afterRow = [&](int row) {
      if (row == 4) form_->close();
    };
    start()->click();
    QCOMPARE(oleDb_.rowsDone, 4);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  }

 private:
  RowView Observe() {
    RowView view;
    view.waitCursor = WaitCursorShown();
    view.startEnabled = start()->isEnabled();
    view.stopEnabled = stop()->isEnabled();
    view.running = form_->Running();
    view.position = bar()->value();
    return view;
  }

  void ExpectReady() {
    QCOMPARE(testing::NotReady(*form_), QString());
  }

  QLineEdit* box() { return testing::FormControls(*form_).box(); }
  QToolButton* start() { return testing::FormControls(*form_).start(); }
  QToolButton* stop() { return testing::FormControls(*form_).stop(); }
  QPlainTextEdit* log() { return testing::FormControls(*form_).log(); }
  QProgressBar* bar() { return testing::FormControls(*form_).bar(); }

  QTemporaryDir folder_;
  std::unique_ptr<TForm1> form_;
  testing::ScriptedPass dbf_;
  testing::ScriptedPass oleDb_;
  bool log_empty_at_first_row_ = false;
  bool start_enabled_after_edit_ = true;
};

}  // namespace ranta2kv

QTEST_MAIN(ranta2kv::RunControlTest)
#include "run_control_test.moc"
