// The main window: its controls with their designed geometry, anchors and look,
// and the event handlers that run the conversion passes.
#include "app/qt/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QResizeEvent>

#include "app/qt/button_icons.h"
#include "common/failure_text.h"
#include "app/qt/dropped_folder.h"
#include "app/qt/folder_chooser.h"
#include "app/qt/folder_path.h"
#include "convert/conversion_pass.h"

namespace ranta2kv {
namespace {

constexpr QSize kDesignedClient(345, 359);
constexpr Anchors kLeftTop = Anchor::Left | Anchor::Top;
constexpr Anchors kTopRight = Anchor::Top | Anchor::Right;
constexpr Anchors kRightBottom = Anchor::Right | Anchor::Bottom;
constexpr Anchors kLeftTopRight = Anchor::Left | Anchor::Top | Anchor::Right;
constexpr Anchors kAllEdges = Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom;
// Aligned to the bottom edge over the full width.
constexpr Anchors kBottomAligned = Anchor::Left | Anchor::Right | Anchor::Bottom;

template <typename Control>
Control* Named(Control* control, const char* name) {
  control->setObjectName(QString::fromLatin1(name));
  return control;
}

QToolButton* FlatButton(QWidget* parent, const char* name, const QIcon& picture,
                        const QString& caption) {
  QToolButton* button = Named(new QToolButton(parent), name);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);  // like any tool button, never takes the focus
  button->setIcon(picture);
  button->setIconSize(QSize(16, 16));
  button->setText(caption);
  button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                               : Qt::ToolButtonTextBesideIcon);
  return button;
}

// The designed font, 11 pixels high. Where it does not exist, the system's
// default family, as large as it can be up to that height while the folder
// label's caption still fits the label's designed width.
QFont DesignedFont(const QString& labelCaption, int labelWidth) {
  const QString designedFamily = QStringLiteral("MS Sans Serif");
  if (QFontDatabase::hasFamily(designedFamily)) {
    QFont font(designedFamily);
    font.setPixelSize(11);
    return font;
  }
  QFont font;
  for (int pixels = 11; pixels >= 9; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).horizontalAdvance(labelCaption) <= labelWidth) break;
  }
  return font;
}

}  // namespace

TForm1::TForm1(char decimalSeparator, QWidget* parent)
    : QWidget(parent),
      selectFolder([this](const QString& title, QString& folder) {
        return SelectFolder(this, title, folder);
      }),
      convertDbf(ConvertDbf),
      convertOleDb(ConvertOleDb),
      anchors_(kDesignedClient) {
  CreateControls();
  SetUpLook();
  host_ = std::make_unique<WindowRunHost>(
      WindowControls{Edit1, Memo1, ProgressBar1, sbStart, sbStop}, decimalSeparator);
  WireEvents();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
  Label1 = Named(new QLabel(QStringLiteral("Папка с DBF "), this), "Label1");
  anchors_.Add(Label1, QRect(7, 10, 68, 13), kLeftTop);
  SpeedButton1 = FlatButton(this, "SpeedButton1", FolderPicture(), QString());
  anchors_.Add(SpeedButton1, QRect(313, 5, 23, 22), kTopRight);
  sbStop = FlatButton(this, "sbStop", StopPicture(), QStringLiteral("Стоп"));
  anchors_.Add(sbStop, QRect(233, 315, 103, 22), kRightBottom);
  sbStart = FlatButton(this, "sbStart", StartPicture(), QStringLiteral("Старт"));
  anchors_.Add(sbStart, QRect(125, 315, 103, 22), kRightBottom);
  Edit1 = Named(new QLineEdit(this), "Edit1");
  anchors_.Add(Edit1, QRect(84, 6, 231, 21), kLeftTopRight);
  ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
  anchors_.Add(ProgressBar1, QRect(0, 342, 345, 17), kBottomAligned);
  Memo1 = Named(new QPlainTextEdit(this), "Memo1");
  anchors_.Add(Memo1, QRect(7, 56, 329, 257), kAllEdges);
  CheckBox1 = Named(new QCheckBox(QStringLiteral("OLE DB"), this), "CheckBox1");
  anchors_.Add(CheckBox1, QRect(8, 32, 97, 17), kLeftTop);
}

void TForm1::SetUpLook() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Ранта+ DBF -> KV XML"));
  setFont(DesignedFont(Label1->text(), Label1->width()));
  move(436, 449);
  resize(kDesignedClient);
  setAcceptDrops(true);

  sbStop->setEnabled(false);
  sbStart->setEnabled(false);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setTabChangesFocus(true);
  CheckBox1->setChecked(true);

  setTabOrder(Edit1, Memo1);
  setTabOrder(Memo1, CheckBox1);
  Edit1->setFocus();
  Edit1->installEventFilter(this);
  Memo1->viewport()->installEventFilter(this);
}

void TForm1::WireEvents() {
  connect(Edit1, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
  connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
  connect(sbStart, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
  connect(sbStop, &QToolButton::clicked, this, &TForm1::sbStopClick);
}

void TForm1::FormCreate() { host_->SetRunning(false); }

// While a pass runs Start stays as the pass set it: a second pass cannot start
// from inside the first one's event processing.
void TForm1::Edit1Change() {
  if (!pass_active_) sbStart->setEnabled(IsExistingDirectory(Edit1->text()));
}

void TForm1::SpeedButton1Click() {
  QString folder = Edit1->text();
  if (!IsExistingDirectory(folder))
    folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
  if (selectFolder(QStringLiteral("Укажите папку с DBF"), folder)) Edit1->setText(folder);
}

void TForm1::SpeedButton2Click() {
  if (pass_active_) return;
  RunPass(CheckBox1->isChecked() ? convertOleDb : convertDbf);
}

void TForm1::sbStopClick() { host_->SetRunning(false); }

// A failed pass has left the window Ready; its message goes into the error box.
void TForm1::RunPass(const ConversionPass& pass) {
  pass_active_ = true;
  std::exception_ptr failure = host_->Run(ToFilesystemPath(Edit1->text()), pass);
  pass_active_ = false;
  if (!failure) return;
  QMessageBox::critical(this, windowTitle(), QString::fromStdString(FailureTextUtf8(failure)));
}

void TForm1::resizeEvent(QResizeEvent* event) {
  anchors_.Place(event->size());
  QWidget::resizeEvent(event);
}

// Closing the window during a run stops the run; the pass still writes what it
// has converted and returns, and then the program ends.
void TForm1::closeEvent(QCloseEvent* event) {
  if (pass_active_) host_->SetRunning(false);
  QWidget::closeEvent(event);
}

bool TForm1::AcceptFolderDrag(QDropEvent* event) {
  if (!DroppedFolder(*event->mimeData())) return false;
  event->acceptProposedAction();
  return true;
}

bool TForm1::TakeFolderDrop(QDropEvent* event) {
  const std::optional<QString> folder = DroppedFolder(*event->mimeData());
  if (!folder) return false;
  event->acceptProposedAction();
  Edit1->setText(*folder);
  return true;
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) { AcceptFolderDrag(event); }
void TForm1::dragMoveEvent(QDragMoveEvent* event) { AcceptFolderDrag(event); }
void TForm1::dropEvent(QDropEvent* event) { TakeFolderDrop(event); }

// The folder box and the log take text drops themselves; a dropped file or
// folder is taken by the window wherever it lands.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
      if (AcceptFolderDrag(static_cast<QDropEvent*>(event))) return true;
      break;
    case QEvent::Drop:
      if (TakeFolderDrop(static_cast<QDropEvent*>(event))) return true;
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace ranta2kv
