// Tests of the main window outside a run: the start-up state of every control,
// the anchors on resize, the folder box rule, the browse button, folder drops and
// the folder argument of the program.
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <memory>

#include "app/qt/main_window.h"
#include "app/qt/start_folder.h"

namespace ranta2kv {
namespace {

template <typename Control>
Control* Find(TForm1& form, const char* name) {
  auto* control = form.findChild<Control*>(QString::fromLatin1(name));
  if (control == nullptr) qFatal("no control %s", name);
  return control;
}

struct DesignedControl {
  const char* name;
  QRect startUp;
  QRect grownBy100;  // after the client area grew by 100 x 100
};

const DesignedControl kControls[] = {
    {"Label1", {7, 10, 68, 13}, {7, 10, 68, 13}},
    {"SpeedButton1", {313, 5, 23, 22}, {413, 5, 23, 22}},
    {"sbStop", {233, 315, 103, 22}, {333, 415, 103, 22}},
    {"sbStart", {125, 315, 103, 22}, {225, 415, 103, 22}},
    {"Edit1", {84, 6, 231, 21}, {84, 6, 331, 21}},
    {"ProgressBar1", {0, 342, 345, 17}, {0, 442, 445, 17}},
    {"Memo1", {7, 56, 329, 257}, {7, 56, 429, 357}},
    {"CheckBox1", {8, 32, 97, 17}, {8, 32, 97, 17}},
};

// Sends a drag of `urls` and its drop to `target`; true when the drag was accepted.
bool DropUrls(QWidget* target, const QList<QUrl>& urls) {
  QMimeData dropped;
  dropped.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

bool IsGrey(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      if (qAlpha(pixel) > 0 && (qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel)))
        return false;
    }
  return true;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    form_ = std::make_unique<TForm1>('.');
    QVERIFY(folder_.isValid());
  }
  void cleanup() { form_.reset(); }

  void StartUpWindowIsAsDesigned() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Ранта+ DBF -> KV XML"));
    QCOMPARE(form_->size(), QSize(345, 359));
    QVERIFY(!form_->Running());
    for (const DesignedControl& control : kControls)
      QCOMPARE(Find<QWidget>(*form_, control.name)->geometry(), control.startUp);
  }

  void StartUpCaptionsAndStates() {
    QCOMPARE(Find<QLabel>(*form_, "Label1")->text(), QStringLiteral("Папка с DBF "));
    QCOMPARE(Find<QToolButton>(*form_, "sbStart")->text(), QStringLiteral("Старт"));
    QCOMPARE(Find<QToolButton>(*form_, "sbStop")->text(), QStringLiteral("Стоп"));
    QVERIFY(Find<QToolButton>(*form_, "SpeedButton1")->text().isEmpty());
    QCOMPARE(Find<QCheckBox>(*form_, "CheckBox1")->text(), QStringLiteral("OLE DB"));
    QVERIFY(Find<QCheckBox>(*form_, "CheckBox1")->isChecked());
    QVERIFY(Find<QLineEdit>(*form_, "Edit1")->text().isEmpty());
    QVERIFY(Find<QToolButton>(*form_, "SpeedButton1")->isEnabled());
    QVERIFY(!Find<QToolButton>(*form_, "sbStart")->isEnabled());
    QVERIFY(!Find<QToolButton>(*form_, "sbStop")->isEnabled());
    auto* bar = Find<QProgressBar>(*form_, "ProgressBar1");
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);
  }

  void FolderLabelCaptionFitsItsDesignedWidth() {
    auto* label = Find<QLabel>(*form_, "Label1");
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width());
    QVERIFY(label->font().pixelSize() >= 9);
  }

  void ToolButtonsAreFlatWithPictures() {
    for (const char* name : {"SpeedButton1", "sbStart", "sbStop"}) {
      auto* button = Find<QToolButton>(*form_, name);
      QVERIFY(button->autoRaise());
      QCOMPARE(button->iconSize(), QSize(16, 16));
      QVERIFY(!button->icon().isNull());
    }
  }

  void DisabledPicturesAreGreyedNotBlank() {
    const QIcon icon = Find<QToolButton>(*form_, "sbStart")->icon();
    const QImage normal = icon.pixmap(QSize(16, 16), QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
    QVERIFY(!IsGrey(normal));
    QVERIFY(IsGrey(disabled));
    int visible = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) visible += qAlpha(disabled.pixel(x, y)) > 0;
    QVERIFY(visible > 30);
  }

  void LogIsAnEditableUnwrappedBoxWithBothScrollBars() {
    auto* log = Find<QPlainTextEdit>(*form_, "Memo1");
    QVERIFY(log->toPlainText().isEmpty());
    QVERIFY(!log->isReadOnly());
    QCOMPARE(log->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  }

  // A line wider than the log: while its start is shown, the horizontal bar's
  // thumb is at its left end, at the right once scrolled to the line's end, and
  // it is darker than the track, so that the track is not taken for the thumb.
  void LogScrollBarsThumbGoesWithTheText() {
    auto* memo = Find<QPlainTextEdit>(*form_, "Memo1");
    form_->show();
    memo->appendPlainText(QString(400, QLatin1Char('x')));
    QApplication::processEvents();
    QScrollBar* bar = memo->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    auto thumb = [bar] {
      QStyleOptionSlider option;
      option.initFrom(bar);
      option.orientation = Qt::Horizontal;
      option.minimum = bar->minimum();
      option.maximum = bar->maximum();
      option.sliderPosition = option.sliderValue = bar->value();
      option.pageStep = bar->pageStep();
      return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    };
    auto lightness = [bar](QPoint at) { return QColor(bar->grab().toImage().pixel(at)).lightness(); };
    bar->setValue(bar->minimum());
    const QRect atStart = thumb();
    QVERIFY(lightness(atStart.center()) < lightness(QPoint(bar->width() / 2 + atStart.width(), bar->height() / 2)));
    bar->setValue(bar->maximum());
    const QRect atEnd = thumb();
    QVERIFY2(atStart.left() < atEnd.left(), qPrintable(QStringLiteral("%1 %2").arg(atStart.left()).arg(atEnd.left())));
    QVERIFY(lightness(atEnd.center()) < lightness(atStart.center()));
  }

  void TabGoesFromFolderBoxToLogToCheckBox() {
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    auto* box = Find<QLineEdit>(*form_, "Edit1");
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(*form_, "Memo1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(*form_, "CheckBox1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box);
  }

  void ResizingKeepsTheAnchoredDistances() {
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    form_->resize(445, 459);
    for (const DesignedControl& control : kControls)
      QTRY_COMPARE(Find<QWidget>(*form_, control.name)->geometry(), control.grownBy100);
  }

  void ShrinkingNeverGivesANegativeSize() {
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    form_->resize(120, 80);
    auto* log = Find<QWidget>(*form_, "Memo1");
    QTRY_COMPARE(log->geometry(), QRect(7, 56, 104, 0));
    QCOMPARE(Find<QWidget>(*form_, "ProgressBar1")->geometry(), QRect(0, 63, 120, 17));
  }

  void ExistingFolderEnablesStartAndOneMoreCharacterDisablesIt() {
    auto* box = Find<QLineEdit>(*form_, "Edit1");
    auto* start = Find<QToolButton>(*form_, "sbStart");
    box->setFocus();
    QTest::keyClicks(box, folder_.path());
    QVERIFY(start->isEnabled());
    QTest::keyClicks(box, QStringLiteral("x"));
    QVERIFY(!start->isEnabled());
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(start->isEnabled());
    QVERIFY(!Find<QToolButton>(*form_, "sbStop")->isEnabled());
  }

  void FilePathKeepsStartDisabled() {
    QFile file(folder_.filePath(QStringLiteral("SMETA.DBF")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    Find<QLineEdit>(*form_, "Edit1")->setText(file.fileName());
    QVERIFY(!Find<QToolButton>(*form_, "sbStart")->isEnabled());
    Find<QLineEdit>(*form_, "Edit1")->clear();
    QVERIFY(!Find<QToolButton>(*form_, "sbStart")->isEnabled());
  }

  void BrowseWithoutFolderOpensAtTheProgramsDirectory() {
    QString title, offered;
    form_->selectFolder = [&](const QString& t, QString& folder) {
      title = t;
      offered = folder;
      return false;
    };
    Find<QLineEdit>(*form_, "Edit1")->setText(QStringLiteral("/no/such/folder"));
    Find<QToolButton>(*form_, "SpeedButton1")->click();
    QCOMPARE(title, QStringLiteral("Укажите папку с DBF"));
    QCOMPARE(offered, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    QCOMPARE(Find<QLineEdit>(*form_, "Edit1")->text(), QStringLiteral("/no/such/folder"));
    QVERIFY(!Find<QToolButton>(*form_, "sbStart")->isEnabled());
  }

  void BrowseOpensAtTheBoxsFolderAndTakesTheChoice() {
    QTemporaryDir chosen;
    QString offered;
    form_->selectFolder = [&](const QString&, QString& folder) {
      offered = folder;
      folder = chosen.path();
      return true;
    };
    Find<QLineEdit>(*form_, "Edit1")->setText(folder_.path());
    Find<QToolButton>(*form_, "SpeedButton1")->click();
    QCOMPARE(offered, folder_.path());
    QCOMPARE(Find<QLineEdit>(*form_, "Edit1")->text(), chosen.path());
    QVERIFY(Find<QToolButton>(*form_, "sbStart")->isEnabled());
  }

  void DroppedFolderGoesIntoTheBox() {
    QVERIFY(DropUrls(form_.get(), {QUrl::fromLocalFile(folder_.path())}));
    QCOMPARE(Find<QLineEdit>(*form_, "Edit1")->text(), QDir::toNativeSeparators(folder_.path()));
    QVERIFY(Find<QToolButton>(*form_, "sbStart")->isEnabled());
  }

  void DroppedFileGivesItsFolderAlsoOnTheBoxAndTheLog() {
    QFile file(folder_.filePath(QStringLiteral("POSEXT.DBF")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(DropUrls(Find<QLineEdit>(*form_, "Edit1"), {QUrl::fromLocalFile(file.fileName())}));
    QCOMPARE(Find<QLineEdit>(*form_, "Edit1")->text(), QDir::toNativeSeparators(folder_.path()));
    Find<QLineEdit>(*form_, "Edit1")->clear();
    QVERIFY(DropUrls(Find<QPlainTextEdit>(*form_, "Memo1")->viewport(),
                     {QUrl::fromLocalFile(file.fileName())}));
    QCOMPARE(Find<QLineEdit>(*form_, "Edit1")->text(), QDir::toNativeSeparators(folder_.path()));
    QVERIFY(Find<QPlainTextEdit>(*form_, "Memo1")->toPlainText().isEmpty());
  }

  // `ranta2kv FOLDER`, as a launcher passes a folder (or a file of one) dropped on it.
  void StartFolderArgument() {
    QFile file(folder_.filePath(QStringLiteral("SMETA.DBF")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString native = QDir::toNativeSeparators(folder_.path());
    QCOMPARE(StartFolder({"ranta2kv", folder_.path() + "/."}), native);
    QCOMPARE(StartFolder({"ranta2kv", file.fileName()}), native);
    QCOMPARE(StartFolder({"ranta2kv", "--screenshot-after-run", "a.png", "--folder", "x", "missing"}),
             QStringLiteral("missing"));
    QCOMPARE(StartFolder({"ranta2kv", "--screenshot-after-run", "a.png"}), std::nullopt);
    form_->OpenFolder(native);
    QCOMPARE(Find<QLineEdit>(*form_, "Edit1")->text(), native);
    QVERIFY(Find<QToolButton>(*form_, "sbStart")->isEnabled());
  }

  void DropOfNothingLocalIsRefused() {
    QVERIFY(!DropUrls(form_.get(), {QUrl(QStringLiteral("https://example.org/a/"))}));
    QVERIFY(!DropUrls(form_.get(), {QUrl::fromLocalFile(folder_.filePath("missing"))}));
    QVERIFY(Find<QLineEdit>(*form_, "Edit1")->text().isEmpty());
  }

 private:
  std::unique_ptr<TForm1> form_;
  QTemporaryDir folder_;
};

}  // namespace ranta2kv

QTEST_MAIN(ranta2kv::MainWindowTest)
#include "main_window_test.moc"
