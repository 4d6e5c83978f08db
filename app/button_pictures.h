// The 16 x 16 pictures of the window's three tool buttons as pixel data, drawn
// in code and rendered at any size (16, 32, or scaled for the screen's density):
// the browse button's open folder with a green arrow, Start's green triangle and
// Stop's red square. Each window turns the pixels into its own kind of image.
#pragma once

#include <cstdint>
#include <vector>

namespace ranta2kv {

enum class ButtonPicture { Folder, Start, Stop };

// The four looks of a picture: normal; disabled (grey, lighter, half
// transparent, the shape still readable); pressed (moved by one sixteenth of the
// picture right and down, as a pressed flat button shows it); held down (moved
// and a little darker).
enum class PictureState { Normal, Disabled, Pressed, HeldDown };

struct PicturePixels {
  int size = 0;                      // width and height in pixels
  std::vector<std::uint32_t> argb;   // rows top to bottom, 0xAARRGGBB, not premultiplied
};

// The picture at `size` x `size` pixels (size at least 1).
PicturePixels RenderButtonPicture(ButtonPicture picture, PictureState state, int size);

}  // namespace ranta2kv
