// Tests of the window on an object folder, with the real passes: every estimate
// below the chosen folder converted under one busy state and one bar, the log
// naming each before its lines, a damaged estimate's failure a log line (no
// error box) while the others are written, the summary last; and Stop during
// the object.
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
#include "tests/app/support/error_box_closer.h"
#include "tests/app/support/form_controls.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv {

class ObjectFolderPassTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void init() {
    QVERIFY(folder_.isValid());
    int seed = 1;
    for (const char* estimate : {"Корпус 1/Раздел 2", "Корпус 1/Раздел 10", "Сети  наружные"})
      Generate(estimate, seed++, 60);
    QVERIFY(QDir(folder_.path()).mkpath(QStringLiteral("Пустая папка")));
    form_ = std::make_unique<TForm1>('.');
    errorBoxes_ = std::make_unique<testing::ErrorBoxCloser>();
    form_->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(folder_.path());
  }
  void cleanup() {
    form_.reset();
    errorBoxes_.reset();
    QDir(folder_.path()).removeRecursively();
    QDir().mkpath(folder_.path());
  }

  void ObjectRunThroughEachPass_data() {
    QTest::addColumn<bool>("oleDb");
    QTest::newRow("OLE DB") << true;
    QTest::newRow("direct") << false;
  }
  void ObjectRunThroughEachPass() {
    QFETCH(bool, oleDb);
    form_->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(oleDb);
    QFile::remove(Estimate("Корпус 1/Раздел 10") + QStringLiteral("/POSEXT.DBF"));  // a damaged estimate
    int highest = 0, lowered = 0;
    connect(bar(), &QProgressBar::valueChanged, this, [&](int value) {
      if (value < highest && value != 0) ++lowered;
      highest = std::max(highest, value);
    });
    start()->click();

    const QStringList log = this->log()->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(log.size(), 10);
    QCOMPARE(log[0], QStringLiteral("Папка \"Корпус 1/Раздел 2\""));
    QVERIFY2(log[1].startsWith(QStringLiteral("Записан файл \"ЛС-")), qPrintable(log[1]));
    QVERIFY2(log[2].endsWith(QStringLiteral(", позиций 60, пропущено строк 0")), qPrintable(log[2]));
    QCOMPARE(log[3], QStringLiteral("Папка \"Корпус 1/Раздел 10\""));
    QVERIFY(log[4].startsWith(QStringLiteral("Ошибка инициализации : ")));
    QCOMPARE(log[5], QStringLiteral("Нет файла: POSEXT.DBF"));
    QCOMPARE(log[6], QStringLiteral("Папка \"Сети  наружные\""));
    QVERIFY(log[7].startsWith(QStringLiteral("Записан файл \"")));
    QVERIFY(log[8].startsWith(QStringLiteral("разделов ")));
    QCOMPARE(log[9], QStringLiteral("Найдено смет: 3, записано: 2, с ошибками: 1"));
    QCOMPARE(XmlFilesIn("Корпус 1/Раздел 2"), 1);
    QCOMPARE(XmlFilesIn("Корпус 1/Раздел 10"), 0);
    QCOMPARE(XmlFilesIn("Сети  наружные"), 1);
    QCOMPARE(highest, bar()->maximum());
    QCOMPARE(lowered, 0);
    ExpectReady();
  }

  void StopEndsTheObjectAfterTheEstimateInHand() {
    form_->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(false);
    bool pressed = false;
    connect(bar(), &QProgressBar::valueChanged, this, [&](int value) {
      if (pressed || value < bar()->maximum() / 10) return;
      pressed = true;
      QTimer::singleShot(0, stop(), &QToolButton::click);
    });
    start()->click();
    const QStringList log = this->log()->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(log.size(), 6);
    QCOMPARE(log[1], QStringLiteral("Конвертация остановлена."));
    QVERIFY2(log[2].startsWith(QStringLiteral("Записан файл \"")), qPrintable(log[2]));
    QCOMPARE(log[4], QStringLiteral("Конвертация остановлена."));
    QCOMPARE(log[5], QStringLiteral("Найдено смет: 3, записано: 1, с ошибками: 0"));
    QCOMPARE(XmlFilesIn("Корпус 1/Раздел 2"), 1);
    QCOMPARE(XmlFilesIn("Корпус 1/Раздел 10"), 0);
    ExpectReady();
  }

 private:
  QString Estimate(const char* relative) { return QDir(folder_.path()).filePath(QString::fromUtf8(relative)); }
  void Generate(const char* relative, int seed, int positions) {
    gen::GenerateEstimate({.seed = static_cast<std::uint64_t>(seed), .positions = positions},
                          ToFilesystemPath(Estimate(relative)));
  }
  int XmlFilesIn(const char* relative) {
    return static_cast<int>(QDir(Estimate(relative)).entryList({QStringLiteral("*.XML")}, QDir::Files).size());
  }
  void ExpectReady() {
    QCOMPARE(errorBoxes_->Texts(), QStringList{});
    QCOMPARE(testing::NotReady(*form_), QString());
  }
  QToolButton* start() { return testing::FormControls(*form_).start(); }
  QToolButton* stop() { return testing::FormControls(*form_).stop(); }
  QPlainTextEdit* log() { return testing::FormControls(*form_).log(); }
  QProgressBar* bar() { return testing::FormControls(*form_).bar(); }

  QTemporaryDir folder_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<testing::ErrorBoxCloser> errorBoxes_;
};

}  // namespace ranta2kv

QTEST_MAIN(ranta2kv::ObjectFolderPassTest)
#include "object_folder_pass_test.moc"
