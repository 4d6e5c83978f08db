// The main window `TForm1`: folder box with browse button, the "OLE DB" choice,
// Start and Stop, the log and the progress bar. It builds the Qt controls from
// the form design and is the window controller's view: the rules of what the
// window does live in the controller; the passes run on this thread.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form_design.h"
#include "app/qt/window_run_host.h"
#include "app/window_controller.h"
#include "app/window_view.h"

namespace ranta2kv {

class TForm1 : public QWidget, private WindowView {
  Q_OBJECT

 public:
  // The folder chooser: title, and the folder to open at / the chosen folder.
  using FolderChooser = std::function<bool(const QString& title, QString& folder)>;
  using ConversionPass = CapturedFolderHost::ConversionPass;

  explicit TForm1(char decimalSeparator, QWidget* parent = nullptr);
  ~TForm1() override;

  bool Running() const { return host_->Running(); }
  // Puts a folder into the folder box, as typing it would.
  void OpenFolder(const QString& folder) { Edit1->setText(folder); }

  // What the buttons call; the real chooser and passes unless replaced.
  FolderChooser selectFolder;
  ConversionPass convertDbf;
  ConversionPass convertOleDb;

  void FormCreate();
  void Edit1Change();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void sbStopClick();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  QWidget* CreateControl(const ControlDesign& design);
  void SetUpLook();
  // Puts the window at its designed place, or where it fits the screen's work
  // area, with the frame the window has (or, before it has one, the designed one).
  void PlaceOnScreen();
  void PlaceControls(const QSize& client);
  void WireEvents();
  bool AcceptFolderDrag(QDropEvent* event);
  bool TakeFolderDrop(QDropEvent* event);
  // The view of the controller.
  std::filesystem::path FolderBoxFolder() const override;
  void SetFolderBoxFolder(const std::filesystem::path& folder) override;
  bool Checked(FormControl checkBox) const override;
  void EnableControl(FormControl control, bool enabled) override;
  bool ChooseFolder(const std::wstring& title, std::filesystem::path& folder) override;
  std::filesystem::path ProgramFolder() const override;
  void ShowErrorReport(const std::string& messageUtf8) override;
  void CloseNow() override;
  std::vector<std::wstring> FontFamilies() const override;
  int TextWidth(const FontChoice& font, std::wstring_view text) const override;

  QLabel* Label1;
  QToolButton* SpeedButton1;
  QToolButton* sbStop;
  QToolButton* sbStart;
  QLineEdit* Edit1;
  QProgressBar* ProgressBar1;
  QPlainTextEdit* Memo1;
  QCheckBox* CheckBox1;

  std::array<QWidget*, kFormControlCount> controls_{};  // by FormControl
  bool placed_with_real_frame_ = false;
  std::unique_ptr<WindowRunHost> host_;  // holds the run flag `Running`
  std::unique_ptr<WindowController> controller_;
};

}  // namespace ranta2kv
