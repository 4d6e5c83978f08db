// A flat tool button with a 16 x 16 picture and an optional caption beside it:
// an owner-drawn button that shows no border until the mouse is over it (raised)
// or presses it (sunken), with the picture of its state (normal, disabled,
// pressed, held down) scaled to the window's screen density.
#pragma once

#include <windows.h>

#include <array>

#include "app/button_pictures.h"

namespace ranta2kv::win32 {

class FlatButton {
 public:
  FlatButton() = default;
  ~FlatButton();
  FlatButton(const FlatButton&) = delete;
  FlatButton& operator=(const FlatButton&) = delete;

  // Takes over an owner-drawn button created by the window.
  void Attach(HWND button, ButtonPicture picture, int dpi);
  void SetDpi(int dpi);  // renders the pictures again for a new density
  void Draw(const DRAWITEMSTRUCT& item) const;
  HWND Handle() const { return button_; }

 private:
  static LRESULT CALLBACK TrackHover(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
  void ReleasePictures();

  HWND button_ = nullptr;
  ButtonPicture picture_ = ButtonPicture::Folder;
  int dpi_ = 96;
  int picture_size_ = 16;
  bool hot_ = false;                    // the mouse is over the button
  std::array<HBITMAP, 4> pictures_{};   // by PictureState, premultiplied 32-bit
};

}  // namespace ranta2kv::win32
