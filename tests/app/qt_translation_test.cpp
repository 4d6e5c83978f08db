// Tests of Qt's own texts in the user's language: run under LANG=ru_RU.UTF-8
// (see CMakeLists.txt), the folder chooser and the log's context menu speak
// Russian, not the English that Qt speaks without its translation.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "app/qt/main_window.h"
#include "app/qt/qt_translation.h"

namespace ranta2kv {
namespace {

// A caption without its mnemonic mark and shortcut: "&Copy\tCtrl+C" is "Copy".
QString Plain(QString caption) {
  caption = caption.section(QLatin1Char('\t'), 0, 0);
  return caption.remove(QLatin1Char('&'));
}

// The texts of the buttons and labels of the modal dialog open now, which is closed.
QStringList TextsOfModalDialog() {
  QStringList texts;
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  if (dialog == nullptr) return texts;
  for (QAbstractButton* button : dialog->findChildren<QPushButton*>()) texts << Plain(button->text());
  for (QLabel* label : dialog->findChildren<QLabel*>()) texts << Plain(label->text());
  dialog->reject();
  return texts;
}

}  // namespace

class QtTranslationTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!qEnvironmentVariable("LANG").startsWith(QLatin1String("ru")))
      QSKIP("needs LANG=ru_RU.UTF-8");
    QVERIFY2(InstallQtTranslation(*QCoreApplication::instance()),
             "no Russian translation of Qt (qt6-translations-l10n; tools/setup installs it)");
  }

  void FolderChooserSpeaksRussian() {
    TForm1 form('.');
    QStringList texts;
    QTimer::singleShot(500, [&] { texts = TextsOfModalDialog(); });
    form.findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->click();
    QVERIFY2(texts.contains(QStringLiteral("Выбрать")), qPrintable(texts.join(" | ")));
    QVERIFY2(texts.contains(QStringLiteral("Отмена")), qPrintable(texts.join(" | ")));
    QVERIFY2(!texts.contains(QStringLiteral("Look in:")), qPrintable(texts.join(" | ")));
  }

  void LogContextMenuSpeaksRussian() {
    TForm1 form('.');
    std::unique_ptr<QMenu> menu(
        form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions()) texts << Plain(action->text());
    QVERIFY2(texts.contains(QStringLiteral("Копировать")), qPrintable(texts.join(" | ")));
    QVERIFY2(!texts.contains(QStringLiteral("Copy")), qPrintable(texts.join(" | ")));
  }
};

}  // namespace ranta2kv

QTEST_MAIN(ranta2kv::QtTranslationTest)
#include "qt_translation_test.moc"
