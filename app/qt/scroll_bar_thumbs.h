// Scroll bars whose thumb is darker than their track, as on Windows. The
// style's own thumb is lighter than its track, and a light thumb on a dark track
// reads as a bar running the wrong way (the dark part taken for the thumb).
#pragma once

class QAbstractScrollArea;

namespace ranta2kv {

// Both scroll bars of area; the style lives as long as area.
void ShowDarkScrollBarThumbs(QAbstractScrollArea& area);

}  // namespace ranta2kv
