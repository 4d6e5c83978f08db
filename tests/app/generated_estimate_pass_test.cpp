// Tests of the window running the real passes on generated estimates: full runs
// through both passes, a folder without the tables, Stop part-way through a large
// estimate, and a failure of a pass reaching the error box.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
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
#include "convert/conversion_pass.h"
#include "tests/app/support/error_box_closer.h"
#include "tests/app/support/form_controls.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv {
namespace {

// Passes everything on to the window's host and counts what would change the
// cursor or the buttons.
class ObservingHost final : public RunHost {
 public:
  explicit ObservingHost(RunHost& inner) : RunHost(inner.DecimalSeparator()), inner_(inner) {}
  std::filesystem::path FolderPath() override { return inner_.FolderPath(); }
  void AppendLog(const std::string& line) override { inner_.AppendLog(line); }
  void ClearLog() override { inner_.ClearLog(); }
  void SetProgressMax(int maximum) override { inner_.SetProgressMax(maximum); }
  void SetProgressPosition(int position) override { inner_.SetProgressPosition(position); }
  void StepProgress() override { inner_.StepProgress(); }
  void ProcessPendingEvents() override { inner_.ProcessPendingEvents(); }
  void SetBusyIndication(bool busy) override {
    ++busySwitches;
    inner_.SetBusyIndication(busy);
  }
  void ApplyButtonRule() override {
    ++buttonRules;
    inner_.ApplyButtonRule();
  }
  int busySwitches = 0;
  int buttonRules = 0;

 private:
  RunHost& inner_;
};

// Counts enabled/disabled switches of the widgets it watches.
class EnabledChangeCounter : public QObject {
 public:
  int changes = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange) ++changes;
    return false;
  }
};

int RecordCount(const QString& dbfFile) {
  QFile file(dbfFile);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray header = file.read(8);
  if (header.size() < 8) return -1;
  const auto byte = [&](int i) { return static_cast<unsigned char>(header[i]); };
  return byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24;
}

qsizetype PositionsIn(const std::filesystem::path& xmlFile) {
  QFile file(FromFilesystemPath(xmlFile));
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray text = file.readAll();
  return text.count("<Position ") + text.count("<Position>") + text.count("<Position/>");
}

QStringList XmlFilesIn(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral("*.xml"), QStringLiteral("*.XML")}, QDir::Files);
}

}  // namespace

class GeneratedEstimatePassTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void init() {
    QVERIFY(folder_.isValid());
    form_ = std::make_unique<TForm1>('.');
    errorBoxes_ = std::make_unique<testing::ErrorBoxCloser>();  // no test hangs on a box
    written_.reset();
    observer_.reset();
    observe_ = false;
    steps_ = 0;
    highest_ = 0;
    form_->convertDbf = Recorded(ConvertDbf);
    form_->convertOleDb = Recorded(ConvertOleDb);
    connect(bar(), &QProgressBar::valueChanged, this, [this](int value) {
      if (value > 0) ++steps_;
      highest_ = std::max(highest_, value);
    });
  }
  void cleanup() {
    form_.reset();
    errorBoxes_.reset();
    for (const QString& name : QDir(folder_.path()).entryList(QDir::Files))
      QFile::remove(folder_.filePath(name));
  }

  void FullDirectRunWritesTheFileAndStepsEveryRow() {
    Generate(40);
    UseOleDb(false);
    start()->click();
    QVERIFY(written_.has_value());
    QVERIFY(std::filesystem::exists(*written_));
    const int rows = RecordCount(folder_.filePath(QStringLiteral("SMETA.DBF")));
    QCOMPARE(bar()->maximum(), rows);
    QCOMPARE(steps_, rows);
    QCOMPARE(highest_, rows);
    QCOMPARE(PositionsIn(*written_), qsizetype{40});
    ExpectReady();
  }

  void FullOleDbRunWritesTheFileAndStepsTheBar() {
    Generate(40);
    UseOleDb(true);
    start()->click();
    QVERIFY(written_.has_value());
    QVERIFY(std::filesystem::exists(*written_));
    QCOMPARE(bar()->maximum(), RecordCount(folder_.filePath(QStringLiteral("SMETA.DBF"))));
    QVERIFY(steps_ > 40);
    QVERIFY(steps_ <= bar()->maximum());
    QCOMPARE(PositionsIn(*written_), qsizetype{40});
    ExpectReady();
  }

  void FolderWithoutTablesGivesOneLogLineAndNoBusyState_data() {
    QTest::addColumn<bool>("oleDb");
    QTest::addColumn<QString>("line");
    QTest::newRow("direct") << false
                            << QStringLiteral("Ошибка инициализации : не найдены таблицы данных\nНет файлов: "
                                              "POSTOOLS.DBF, SMETA.DBF, POSEXT.DBF, RESTBL.DBF, EXECUTE.DBF, "
                                              "ACTS.DBF, PARAMS.DBF");
    QTest::newRow("OLE DB") << true
                            << QStringLiteral("Ошибка инициализации : Не найдены таблицы данных\nНет файлов: "
                                              "POSTOOLS.DBF, SMETA.DBF, POSEXT.DBF");
  }
  void FolderWithoutTablesGivesOneLogLineAndNoBusyState() {
    QFETCH(bool, oleDb);
    QFETCH(QString, line);
    UseOleDb(oleDb);
    box()->setText(folder_.path());
    observe_ = true;
    EnabledChangeCounter buttons;
    start()->installEventFilter(&buttons);
    stop()->installEventFilter(&buttons);
    start()->click();
    QCOMPARE(log()->toPlainText(), line);
    QVERIFY(observer_ != nullptr);
    QCOMPARE(observer_->busySwitches, 0);
    QCOMPARE(observer_->buttonRules, 0);
    QCOMPARE(buttons.changes, 0);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(!written_.has_value());
    QVERIFY(XmlFilesIn(folder_.path()).isEmpty());
  }

  void StopPartWayWritesThePartialFile_data() {
    QTest::addColumn<bool>("oleDb");
    QTest::newRow("direct") << false;
    QTest::newRow("OLE DB") << true;
  }
  void StopPartWayWritesThePartialFile() {
    QFETCH(bool, oleDb);
    Generate(1500);
    UseOleDb(oleDb);
    connect(bar(), &QProgressBar::valueChanged, stop(), [this](int value) {
      if (value == 60) QTimer::singleShot(0, stop(), &QToolButton::click);
    });
    start()->click();
    QCOMPARE(highest_, 60);
    QVERIFY(written_.has_value());
    const qsizetype positions = PositionsIn(*written_);
    QVERIFY2(positions > 0 && positions < 60, qPrintable(QString::number(positions)));
    ExpectReady();
  }

  void FailureDuringTheWalkShowsTheErrorBoxAndWritesNothing() {
    Generate(20);
    QVERIFY(QFile::remove(folder_.filePath(QStringLiteral("RESTBL.DBF"))));
    UseOleDb(true);
    start()->click();
    QCOMPARE(errorBoxes_->Texts(), QStringList{QStringLiteral("Не найдена таблица RESTBL.DBF")});
    QVERIFY(!written_.has_value());
    QVERIFY(XmlFilesIn(folder_.path()).isEmpty());
    ExpectReadyAfterFailure();
  }

  // A damaged table that the pass would read only in its walk fails the set-up:
  // its lines in the log, no error box, the window as it was.
  void DamagedTableFailsTheSetUpAndWritesNothing() {
    Generate(20);
    QFile acts(folder_.filePath(QStringLiteral("ACTS.DBF")));
    QVERIFY(acts.open(QIODevice::WriteOnly | QIODevice::Truncate));
    acts.write("not a table");
    acts.close();
    UseOleDb(false);
    start()->click();
    QVERIFY(errorBoxes_->Texts().isEmpty());
    QCOMPARE(log()->toPlainText(),
             QStringLiteral("Ошибка инициализации : TQXSmartDBF.InternalOpen: File \"%1/ACTS.DBF\" is damaged: "
                            "the file is shorter than its header")
                 .arg(folder_.path()));
    QVERIFY(!written_.has_value());
    QVERIFY(XmlFilesIn(folder_.path()).isEmpty());
    ExpectReady();
  }


 private:
  // The pass as the window runs it, remembering the file it wrote; with
  // observe_ set it runs through an ObservingHost (whose own run flag Stop does
  // not reach, so only for runs without Stop).
  TForm1::ConversionPass Recorded(std::optional<ConversionResult> (*pass)(RunHost&)) {
    return [this, pass](RunHost& host) {
      if (observe_) observer_ = std::make_unique<ObservingHost>(host);
      std::optional<ConversionResult> result = pass(observe_ ? *observer_ : host);
      written_.reset();
      if (result) written_ = result->file;
      return result;
    };
  }

  void Generate(int positions) {
    gen::GenerateEstimate({.seed = 7, .positions = positions, .edge = false},
                          ToFilesystemPath(folder_.path()));
    box()->setText(folder_.path());
  }

  void UseOleDb(bool checked) {
    form_->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(checked);
  }

  void ExpectReady() {
    QCOMPARE(errorBoxes_->Texts(), QStringList{});
    ExpectReadyAfterFailure();
  }

  void ExpectReadyAfterFailure() {
    QCOMPARE(testing::NotReady(*form_), QString());
  }

  QLineEdit* box() { return testing::FormControls(*form_).box(); }
  QToolButton* start() { return testing::FormControls(*form_).start(); }
  QToolButton* stop() { return testing::FormControls(*form_).stop(); }
  QPlainTextEdit* log() { return testing::FormControls(*form_).log(); }
  QProgressBar* bar() { return testing::FormControls(*form_).bar(); }

  QTemporaryDir folder_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<testing::ErrorBoxCloser> errorBoxes_;
  std::optional<std::filesystem::path> written_;
  std::unique_ptr<ObservingHost> observer_;
  bool observe_ = false;
  int steps_ = 0;
  int highest_ = 0;
};

}  // namespace ranta2kv

QTEST_MAIN(ranta2kv::GeneratedEstimatePassTest)
#include "generated_estimate_pass_test.moc"
