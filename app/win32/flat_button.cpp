// Drawing and hover tracking of the flat picture buttons.
#include "app/win32/flat_button.h"

#include <commctrl.h>

#include <string>

#include "app/win32/dpi_scale.h"

namespace ranta2kv::win32 {
namespace {

constexpr UINT_PTR kHoverSubclass = 1;
constexpr int kPictureGap = 4;  // between picture and caption, at 96 dpi

HBITMAP PictureBitmap(ButtonPicture picture, PictureState state, int size) {
  const PicturePixels pixels = RenderButtonPicture(picture, state, size);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pixels.size;
  info.bmiHeader.biHeight = -pixels.size;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels.argb.size(); ++i) {  // AlphaBlend wants premultiplied
    const std::uint32_t p = pixels.argb[i];
    const std::uint32_t a = p >> 24;
    auto channel = [&](int shift) { return ((p >> shift & 0xFF) * a + 127) / 255 << shift; };
    out[i] = a << 24 | channel(16) | channel(8) | channel(0);
  }
  return bitmap;
}

PictureState StateOf(const DRAWITEMSTRUCT& item) {
  if (item.itemState & ODS_DISABLED) return PictureState::Disabled;
  if (item.itemState & ODS_SELECTED) return PictureState::Pressed;
  if (SendMessageW(item.hwndItem, BM_GETSTATE, 0, 0) & BST_CHECKED) return PictureState::HeldDown;
  return PictureState::Normal;
}

std::wstring CaptionOf(HWND button) {
  std::wstring caption(static_cast<std::size_t>(GetWindowTextLengthW(button)), L'\0');
  GetWindowTextW(button, caption.data(), static_cast<int>(caption.size()) + 1);
  return caption;
}

}  // namespace

FlatButton::~FlatButton() {
  if (button_ != nullptr) RemoveWindowSubclass(button_, TrackHover, kHoverSubclass);
  ReleasePictures();
}

void FlatButton::Attach(HWND button, ButtonPicture picture, int dpi) {
  button_ = button;
  picture_ = picture;
  SetWindowSubclass(button_, TrackHover, kHoverSubclass, reinterpret_cast<DWORD_PTR>(this));
  SetDpi(dpi);
}

void FlatButton::SetDpi(int dpi) {
  ReleasePictures();
  dpi_ = dpi;
  picture_size_ = ScaledForDpi(16, dpi);
  for (int state = 0; state < 4; ++state)
    pictures_[state] = PictureBitmap(picture_, static_cast<PictureState>(state), picture_size_);
  if (button_ != nullptr) InvalidateRect(button_, nullptr, TRUE);
}

void FlatButton::ReleasePictures() {
  for (HBITMAP& bitmap : pictures_) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    bitmap = nullptr;
  }
}

// Face, then the border of a hovered or pressed button, then picture and caption
// centred together (the picture alone when there is no caption).
void FlatButton::Draw(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT face = item.rcItem;
  FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
  const PictureState state = StateOf(item);
  const bool pressed = state == PictureState::Pressed || state == PictureState::HeldDown;
  if (pressed)
    DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT);
  else if (hot_ && state != PictureState::Disabled)
    DrawEdge(dc, &face, BDR_RAISEDINNER, BF_RECT);

  const std::wstring caption = CaptionOf(item.hwndItem);
  SIZE text{0, 0};
  if (!caption.empty())
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
  const int gap = caption.empty() ? 0 : ScaledForDpi(kPictureGap, dpi_);
  const int width = face.right - face.left, height = face.bottom - face.top;
  const int shift = pressed ? 1 : 0;
  int x = face.left + (width - picture_size_ - gap - text.cx) / 2 + shift;
  const int pictureY = face.top + (height - picture_size_) / 2;

  HDC pictureDc = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(pictureDc, pictures_[static_cast<int>(state)]);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, x, pictureY, picture_size_, picture_size_, pictureDc, 0, 0, picture_size_,
             picture_size_, blend);
  SelectObject(pictureDc, old);
  DeleteDC(pictureDc);
  if (caption.empty()) return;

  x += picture_size_ + gap;
  RECT textRect{x, face.top + shift, x + text.cx, face.bottom + shift};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(state == PictureState::Disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

// The raised border follows the mouse: on when it enters, off when it leaves.
LRESULT CALLBACK FlatButton::TrackHover(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self) {
  auto* flat = reinterpret_cast<FlatButton*>(self);
  if (message == WM_MOUSEMOVE && !flat->hot_) {
    flat->hot_ = true;
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, button, 0};
    TrackMouseEvent(&track);
    InvalidateRect(button, nullptr, FALSE);
  } else if (message == WM_MOUSELEAVE) {
    flat->hot_ = false;
    InvalidateRect(button, nullptr, FALSE);
  }
  return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace ranta2kv::win32
