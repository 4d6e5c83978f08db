// The Win32 main window: its controls built from one table of names, captions,
// geometry and anchors, its message handlers, and the event handlers that run
// the conversion passes.
#include "app/win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <exception>

#include "app/window_geometry.h"
#include "app/dropped_item.h"
#include "app/win32/control_ids.h"
#include "app/win32/dpi_scale.h"
#include "app/win32/folder_chooser.h"
#include "convert/conversion_pass.h"
#include "platform/wide_text.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace ranta2kv::win32 {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// What a control of the design is on Win32: its window class and styles.
// "Soft bevel, no border line" is the sunken client edge.
struct ControlClass {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::FlatButton: return {WC_BUTTONW, BS_OWNERDRAW, 0};
    case ControlKind::FolderBox: return {WC_EDITW, ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSW, PBS_SMOOTH, 0};
    case ControlKind::Log:
      return {WC_EDITW,
              ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_HSCROLL | WS_VSCROLL,
              WS_EX_CLIENTEDGE};
    case ControlKind::CheckBox: return {WC_BUTTONW, BS_AUTOCHECKBOX, 0};
  }
  return {WC_STATICW, 0, 0};
}

ControlRect ScaledRect(ControlRect designed, int dpi) {
  return {ScaledForDpi(designed.x, dpi), ScaledForDpi(designed.y, dpi), ScaledForDpi(designed.width, dpi),
          ScaledForDpi(designed.height, dpi)};
}

}  // namespace

TForm1::TForm1(char decimalSeparator)
    : selectFolder([this](const std::wstring& title, std::wstring& folder) {
        return SelectFolder(window_, title, std::wstring(), folder);
      }),
      convertDbf(ConvertDbf),
      convertOleDb(ConvertOleDb),
      decimal_separator_(decimalSeparator) {}

TForm1::~TForm1() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool TForm1::Create(HINSTANCE instance, int show) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  const SIZE outer = OuterSizeForClient({kDesignedClient.width, kDesignedClient.height},
                                        kWindowStyle, 0, kDesignDpi);
  CreateWindowExW(0, kMainWindowClass, kMainWindowCaption, kWindowStyle, kDesignedLeft, kDesignedTop, outer.cx,
                  outer.cy, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  ShowWindow(window_, show);
  UpdateWindow(window_);
  return true;
}

LRESULT CALLBACK TForm1::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return form->Handle(message, wParam, lParam);
}

LRESULT TForm1::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  switch (message) {
    HANDLE_MSG(window, WM_CREATE, OnCreate);
    HANDLE_MSG(window, WM_SIZE, OnSize);
    HANDLE_MSG(window, WM_COMMAND, OnCommand);
    HANDLE_MSG(window, WM_DRAWITEM, OnDrawItem);
    HANDLE_MSG(window, WM_SETCURSOR, OnSetCursor);
    HANDLE_MSG(window, WM_CTLCOLORSTATIC, OnCtlColorStatic);
    HANDLE_MSG(window, WM_DROPFILES, OnDropFiles);
    HANDLE_MSG(window, WM_ACTIVATE, OnActivate);
    HANDLE_MSG(window, WM_CLOSE, OnClose);
    HANDLE_MSG(window, WM_DESTROY, OnDestroy);
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

BOOL TForm1::OnCreate(HWND window, LPCREATESTRUCTW) {
  dpi_ = WindowDpi(window);
  CreateControls();
  host_ = std::make_unique<WindowRunHost>(
      WindowControls{window, Edit1, Memo1, ProgressBar1, sbStart, sbStop}, decimal_separator_);
  controller_ = std::make_unique<WindowController>(static_cast<WindowView&>(*this), *host_, convertDbf, convertOleDb);
  ApplyDpi();
  PlaceOnScreen();
  DragAcceptFiles(window, TRUE);
  FormCreate();
  return TRUE;
}

void TForm1::CreateControls() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  for (const ControlDesign& design : kFormDesign) {
    const ControlClass control = ClassOf(design.kind);
    const DWORD style = WS_CHILD | WS_VISIBLE | control.style | (design.tabStop ? WS_TABSTOP : 0) |
                        (design.enabled ? 0 : WS_DISABLED);
    HWND handle = CreateWindowExW(control.exStyle, control.windowClass, design.caption, style, 0, 0, 0, 0, window_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(design.control))),
                                  instance, nullptr);
    controls_[static_cast<std::size_t>(design.control)] = handle;
    if (design.picture) flat_buttons_[static_cast<std::size_t>(design.control)].Attach(handle, *design.picture, dpi_);
  }
  auto control = [this](FormControl c) { return controls_[static_cast<std::size_t>(c)]; };
  Label1 = control(FormControl::Label1);
  SpeedButton1 = control(FormControl::SpeedButton1);
  sbStop = control(FormControl::sbStop);
  sbStart = control(FormControl::sbStart);
  Edit1 = control(FormControl::Edit1);
  ProgressBar1 = control(FormControl::ProgressBar1);
  Memo1 = control(FormControl::Memo1);
  CheckBox1 = control(FormControl::CheckBox1);
  SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, 100);
  SendMessageW(ProgressBar1, PBM_SETSTEP, 1, 0);
  SendMessageW(ProgressBar1, PBM_SETPOS, 0, 0);
  SendMessageW(Memo1, EM_SETLIMITTEXT, 0, 0);  // a log has no length limit
  Button_SetCheck(CheckBox1, kOleDbCheckedAtStart ? BST_CHECKED : BST_UNCHECKED);
  SetFocus(Edit1);
}

namespace {

HFONT CreateFontOf(const FontChoice& font) {
  return CreateFontW(-font.pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, font.family.c_str());
}

}  // namespace

// Where "MS Sans Serif" is missing or lacks the caption's letters, the
// system's substitutes in turn.
std::vector<std::wstring> TForm1::FontFamilies() const {
  return {kDesignedFontFamily, L"Microsoft Sans Serif", L"Tahoma"};
}

int TForm1::TextWidth(const FontChoice& font, std::wstring_view text) const {
  HDC dc = GetDC(Label1);
  HFONT created = CreateFontOf(font);
  HGDIOBJ old = SelectObject(dc, created);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  DeleteObject(created);
  ReleaseDC(Label1, dc);
  return extent.cx;
}

void TForm1::ApplyDpi() {
  HFONT previous = font_;
  font_ = CreateFontOf(controller_->DesignedFont(dpi_));
  for (HWND control : controls_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  if (previous != nullptr) DeleteObject(previous);
  for (FlatButton& button : flat_buttons_)
    if (button.Handle() != nullptr) button.SetDpi(dpi_);
  const SIZE outer = OuterSizeForClient({ScaledForDpi(kDesignedClient.width, dpi_),
                                         ScaledForDpi(kDesignedClient.height, dpi_)},
                                        kWindowStyle, 0, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls();
}

void TForm1::PlaceControls() {
  RECT client;
  GetClientRect(window_, &client);
  const ClientSize designedClient{ScaledForDpi(kDesignedClient.width, dpi_),
                                  ScaledForDpi(kDesignedClient.height, dpi_)};
  HDWP positions = BeginDeferWindowPos(static_cast<int>(kFormControlCount));
  for (const ControlDesign& design : kFormDesign) {
    const ControlRect placed = AnchoredRect(ScaledRect(design.designed, dpi_), designedClient,
                                            {client.right, client.bottom}, design.anchors);
    positions = DeferWindowPos(positions, controls_[static_cast<std::size_t>(design.control)], nullptr, placed.x,
                               placed.y, placed.width, placed.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  EndDeferWindowPos(positions);
}

// The outer rectangle at the window's density, at the designed place or where
// it fits the work area of the screen of that place.
void TForm1::PlaceOnScreen() {
  RECT outer;
  GetWindowRect(window_, &outer);
  const POINT designedPlace{kDesignedLeft, kDesignedTop};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromPoint(designedPlace, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const ScreenRect placed = FittedWindowRect(
      {designedPlace.x, designedPlace.y, outer.right - outer.left, outer.bottom - outer.top},
      {work.left, work.top, work.right - work.left, work.bottom - work.top});
  SetWindowPos(window_, nullptr, placed.x, placed.y, placed.width, placed.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::OnSize(HWND, UINT state, int, int) {
  if (state != SIZE_MINIMIZED && Memo1 != nullptr) PlaceControls();
}

void TForm1::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyDpi();
}

void TForm1::OnCommand(HWND, int id, HWND, UINT code) {
  switch (id) {
    case kEdit1:
      if (code == EN_CHANGE) Edit1Change();
      break;
    case kSpeedButton1:
      if (code == BN_CLICKED) SpeedButton1Click();
      break;
    case kSbStart:
      if (code == BN_CLICKED) SpeedButton2Click();
      break;
    case kSbStop:
      if (code == BN_CLICKED) sbStopClick();
      break;
    default:
      break;
  }
}

void TForm1::OnDrawItem(HWND, const DRAWITEMSTRUCT* item) {
  for (const FlatButton& button : flat_buttons_)
    if (button.Handle() != nullptr && button.Handle() == item->hwndItem) button.Draw(*item);
}

// While busy the hourglass shows over the window and every control in it.
BOOL TForm1::OnSetCursor(HWND window, HWND under, UINT hitTest, UINT mouseMessage) {
  if (host_ && host_->BusyShown()) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
  }
  return FORWARD_WM_SETCURSOR(window, under, hitTest, mouseMessage, DefWindowProcW);
}

HBRUSH TForm1::OnCtlColorStatic(HWND, HDC dc, HWND, int) {
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  return GetSysColorBrush(COLOR_BTNFACE);
}

// A folder, or a file in it, dropped from Explorer: the first existing item
// gives the folder box its text.
void TForm1::OnDropFiles(HWND, HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring item(DragQueryFileW(drop, i, nullptr, 0), L'\0');
    DragQueryFileW(drop, i, item.data(), static_cast<UINT>(item.size()) + 1);
    if (auto folder = FolderOfDroppedItem(std::filesystem::path(item))) {
      SetWindowTextW(Edit1, folder->wstring().c_str());
      break;
    }
  }
  DragFinish(drop);
}

// The focus goes back to the control that had it when the window was left (the
// folder box at first), as in a dialog.
void TForm1::OnActivate(HWND, UINT state, HWND, BOOL) {
  if (state == WA_INACTIVE) {
    last_focus_ = GetFocus();
    return;
  }
  const bool usable = last_focus_ != nullptr && IsChild(window_, last_focus_) &&
                      IsWindowEnabled(last_focus_);
  SetFocus(usable ? last_focus_ : Edit1);
}

// Closing the window during a run stops the run; the pass still writes what it
// has converted and returns, and then the window closes.
void TForm1::OnClose(HWND window) {
  if (controller_->CloseRequested()) DestroyWindow(window);
}

void TForm1::OnDestroy(HWND) { PostQuitMessage(0); }

void TForm1::FormCreate() { controller_->FormCreate(); }
void TForm1::Edit1Change() { controller_->Edit1Change(); }
void TForm1::SpeedButton1Click() { controller_->SpeedButton1Click(); }
void TForm1::SpeedButton2Click() { controller_->SpeedButton2Click(); }
void TForm1::sbStopClick() { controller_->sbStopClick(); }

std::wstring TForm1::FolderBoxText() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Edit1)), L'\0');
  GetWindowTextW(Edit1, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

std::filesystem::path TForm1::FolderBoxFolder() const { return std::filesystem::path(FolderBoxText()); }

void TForm1::SetFolderBoxFolder(const std::filesystem::path& folder) {
  SetWindowTextW(Edit1, folder.wstring().c_str());
}

bool TForm1::Checked(FormControl checkBox) const {
  return Button_GetCheck(controls_[static_cast<std::size_t>(checkBox)]) == BST_CHECKED;
}

void TForm1::EnableControl(FormControl control, bool enabled) {
  EnableWindow(controls_[static_cast<std::size_t>(control)], enabled);
}

bool TForm1::ChooseFolder(const std::wstring& title, std::filesystem::path& folder) {
  std::wstring chosen = folder.wstring();
  if (!selectFolder(title, chosen)) return false;
  folder = std::filesystem::path(chosen);
  return true;
}

std::filesystem::path TForm1::ProgramFolder() const {
  wchar_t program[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
  return std::filesystem::path(std::wstring(program, length)).parent_path();
}

void TForm1::ShowErrorReport(const std::string& messageUtf8) {
  MessageBoxW(window_, WideFromUtf8(messageUtf8).c_str(), kMainWindowCaption, MB_OK | MB_ICONERROR);
}

// The log shows every line of the run; the focus goes back to the folder box
// where it was on Start, which is disabled now.
void TForm1::AfterRun() {
  host_->FlushLog();
  HWND focus = GetFocus();
  if (focus == nullptr || !IsWindowEnabled(focus)) SetFocus(Edit1);
}

void TForm1::CloseNow() { DestroyWindow(window_); }

}  // namespace ranta2kv::win32
