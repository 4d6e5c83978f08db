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
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "app/qt/button_icons.h"
#include "app/qt/dropped_folder.h"
#include "app/qt/folder_chooser.h"
#include "app/qt/folder_path.h"
#include "app/qt/scroll_bar_thumbs.h"
#include "convert/conversion_pass.h"

namespace ranta2kv {
namespace {

QRect QRectOf(ControlRect rect) { return QRect(rect.x, rect.y, rect.width, rect.height); }

QToolButton* FlatButton(QWidget* parent, const ControlDesign& design) {
  auto* button = new QToolButton(parent);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);  // like any tool button, never takes the focus
  button->setIcon(ButtonIcon(*design.picture));
  button->setIconSize(QSize(16, 16));
  const QString caption = QString::fromWCharArray(design.caption);
  button->setText(caption);
  button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
  return button;
}

QFont FontOf(const FontChoice& choice) {
  QFont font;
  if (!choice.family.empty()) font.setFamily(QString::fromStdWString(choice.family));
  font.setPixelSize(choice.pixelHeight);
  return font;
}

}  // namespace

TForm1::TForm1(char decimalSeparator, QWidget* parent)
    : QWidget(parent),
      selectFolder([this](const QString& title, QString& folder) {
        return SelectFolder(this, title, folder);
      }),
      convertDbf(ConvertDbf),
      convertOleDb(ConvertOleDb) {
  CreateControls();
  host_ = std::make_unique<WindowRunHost>(
      WindowControls{Edit1, Memo1, ProgressBar1, sbStart, sbStop}, decimalSeparator);
  controller_ = std::make_unique<WindowController>(static_cast<WindowView&>(*this), *host_, convertDbf, convertOleDb);
  SetUpLook();
  WireEvents();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
  for (const ControlDesign& design : kFormDesign) {
    QWidget* control = CreateControl(design);
    control->setObjectName(QString::fromLatin1(design.name));
    control->setGeometry(QRectOf(design.designed));
    control->setEnabled(design.enabled);
    controls_[static_cast<std::size_t>(design.control)] = control;
  }
  auto control = [this](FormControl c) { return controls_[static_cast<std::size_t>(c)]; };
  Label1 = static_cast<QLabel*>(control(FormControl::Label1));
  SpeedButton1 = static_cast<QToolButton*>(control(FormControl::SpeedButton1));
  sbStop = static_cast<QToolButton*>(control(FormControl::sbStop));
  sbStart = static_cast<QToolButton*>(control(FormControl::sbStart));
  Edit1 = static_cast<QLineEdit*>(control(FormControl::Edit1));
  ProgressBar1 = static_cast<QProgressBar*>(control(FormControl::ProgressBar1));
  Memo1 = static_cast<QPlainTextEdit*>(control(FormControl::Memo1));
  CheckBox1 = static_cast<QCheckBox*>(control(FormControl::CheckBox1));
}

QWidget* TForm1::CreateControl(const ControlDesign& design) {
  const QString caption = QString::fromWCharArray(design.caption);
  switch (design.kind) {
    case ControlKind::Label:
      return new QLabel(caption, this);
    case ControlKind::FlatButton:
      return FlatButton(this, design);
    case ControlKind::FolderBox:
      return new QLineEdit(this);
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(this);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::Log: {
      auto* log = new QPlainTextEdit(this);
      log->setLineWrapMode(QPlainTextEdit::NoWrap);
      log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      log->setTabChangesFocus(true);
      ShowDarkScrollBarThumbs(*log);
      return log;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(caption, this);
      box->setChecked(kOleDbCheckedAtStart);
      return box;
    }
  }
  return new QWidget(this);
}

void TForm1::SetUpLook() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromWCharArray(kFormCaption));
  setFont(FontOf(controller_->DesignedFont(96)));  // Qt scales fonts to the screen itself
  resize(kDesignedClient.width, kDesignedClient.height);
  PlaceOnScreen();
  setAcceptDrops(true);

  QWidget* previous = nullptr;
  for (const ControlDesign& design : kFormDesign) {
    if (!design.tabStop) continue;
    QWidget* control = controls_[static_cast<std::size_t>(design.control)];
    if (previous != nullptr) setTabOrder(previous, control);
    previous = control;
  }
  Edit1->setFocus();
  Edit1->installEventFilter(this);
  Memo1->viewport()->installEventFilter(this);
}

void TForm1::PlaceOnScreen() {
  const QPoint designedPlace(kDesignedLeft, kDesignedTop);
  QScreen* screen = QGuiApplication::screenAt(designedPlace);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    move(designedPlace);
    return;
  }
  // The frame around the client area: the real one once the window has it,
  // before that the one the design had around its client area.
  QMargins frame(4, 30, 4, 4);
  static_assert(4 + 4 + kDesignedClient.width == kDesignedOuter.width &&
                30 + 4 + kDesignedClient.height == kDesignedOuter.height);
  if (isVisible()) {
    const QRect outer = frameGeometry(), inner = geometry();
    frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                     outer.bottom() - inner.bottom());
  }
  const QSize client = isVisible() ? size() : QSize(kDesignedClient.width, kDesignedClient.height);
  const QRect area = screen->availableGeometry();
  const ScreenRect placed = FittedWindowRect(
      {designedPlace.x(), designedPlace.y(), client.width() + frame.left() + frame.right(),
       client.height() + frame.top() + frame.bottom()},
      {area.x(), area.y(), area.width(), area.height()});
  move(placed.x, placed.y);  // the frame's top-left corner
  resize(placed.width - frame.left() - frame.right(), placed.height - frame.top() - frame.bottom());
}

void TForm1::WireEvents() {
  connect(Edit1, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
  connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
  connect(sbStart, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
  connect(sbStop, &QToolButton::clicked, this, &TForm1::sbStopClick);
}

void TForm1::FormCreate() { controller_->FormCreate(); }
void TForm1::Edit1Change() { controller_->Edit1Change(); }
void TForm1::SpeedButton1Click() { controller_->SpeedButton1Click(); }
void TForm1::SpeedButton2Click() { controller_->SpeedButton2Click(); }
void TForm1::sbStopClick() { controller_->sbStopClick(); }

std::filesystem::path TForm1::FolderBoxFolder() const { return ToFilesystemPath(Edit1->text()); }

void TForm1::SetFolderBoxFolder(const std::filesystem::path& folder) {
  Edit1->setText(QDir::toNativeSeparators(FromFilesystemPath(folder)));
}

bool TForm1::Checked(FormControl checkBox) const {
  return static_cast<const QCheckBox*>(controls_[static_cast<std::size_t>(checkBox)])->isChecked();
}

void TForm1::EnableControl(FormControl control, bool enabled) {
  controls_[static_cast<std::size_t>(control)]->setEnabled(enabled);
}

bool TForm1::ChooseFolder(const std::wstring& title, std::filesystem::path& folder) {
  QString chosen = QDir::toNativeSeparators(FromFilesystemPath(folder));
  if (!selectFolder(QString::fromStdWString(title), chosen)) return false;
  folder = ToFilesystemPath(chosen);
  return true;
}

std::filesystem::path TForm1::ProgramFolder() const {
  return ToFilesystemPath(QCoreApplication::applicationDirPath());
}

void TForm1::ShowErrorReport(const std::string& messageUtf8) {
  QMessageBox::critical(this, windowTitle(), QString::fromStdString(messageUtf8));
}

void TForm1::CloseNow() { close(); }

// The designed family where the system has it, then the toolkit's default.
std::vector<std::wstring> TForm1::FontFamilies() const {
  std::vector<std::wstring> families;
  if (QFontDatabase::hasFamily(QString::fromWCharArray(kDesignedFontFamily))) families.emplace_back(kDesignedFontFamily);
  families.emplace_back();
  return families;
}

int TForm1::TextWidth(const FontChoice& font, std::wstring_view text) const {
  return QFontMetrics(FontOf(font)).horizontalAdvance(QString::fromWCharArray(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::resizeEvent(QResizeEvent* event) {
  PlaceControls(event->size());
  QWidget::resizeEvent(event);
}

void TForm1::PlaceControls(const QSize& client) {
  for (const ControlDesign& design : kFormDesign) {
    controls_[static_cast<std::size_t>(design.control)]->setGeometry(
        QRectOf(AnchoredRect(design.designed, kDesignedClient, {client.width(), client.height()}, design.anchors)));
  }
}

// Once the window manager has framed the window, the real frame may need a
// place other than the designed frame did.
void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (placed_with_real_frame_) return;
  placed_with_real_frame_ = true;
  QTimer::singleShot(0, this, [this] {
    const QScreen* screen = this->screen();
    if (screen != nullptr && !screen->availableGeometry().contains(frameGeometry())) PlaceOnScreen();
  });
}

// Closing the window during a run stops the run; the pass still writes what it
// has converted and returns, and then the window closes.
void TForm1::closeEvent(QCloseEvent* event) {
  if (!controller_->CloseRequested()) {
    event->ignore();
    return;
  }
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
