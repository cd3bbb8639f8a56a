#pragma once
// Presenting only what changed: the picture to show is compared with a copy of the one shown
// last, in bands of rows, and each band that differs gives one box, from its first to its last
// differing row and column. Copying those boxes to the screen shows the same picture as copying
// the whole, for a fraction of the pixels when little moves (the well, the floating lines).
#include "display/blit_clip.h"
#include "display/pixel_copy.h"

namespace kaDraw {

constexpr int kChangeBandRows = 64;

// Boxes a picture of the given height can give: one per band.
constexpr int ChangeBandCount(int height) {
    return (height + kChangeBandRows - 1) / kChangeBandRows;
}

// Compares picture with shown (both width x height pixels of bytesPerPixel bytes), writes one box
// per band that differs into boxes (room for ChangeBandCount(height)), top band first, copies
// each box's pixels from picture into shown, and returns the number of boxes.
int FindChangedBoxes(PixelRows picture, PixelRows shown, int width, int height, int bytesPerPixel,
                     BlitRect* boxes);

}  // namespace kaDraw
