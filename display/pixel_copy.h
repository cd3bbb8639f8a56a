#pragma once
// Pixel copies between locked surfaces, done by the processor: a frame's clear and the 3D
// picture laid over the back screen cost one lock of each surface instead of a trip through
// the driver's blitter for each step.

#include <cstdint>

namespace kaDraw {

// A rectangle of locked pixels: the first pixel's address and the bytes from one row to the
// next.
struct PixelRows {
    uint8_t* first;
    int pitch;
};

// Copies width x height pixels of bytesPerPixel (2, 3 or 4) from src to dst. keyed: source
// pixels whose colour bits are all 0 (black) leave dst as it is, like a blit with a source colour
// key of black; otherwise every pixel is copied.
void CopyPixels(PixelRows dst, PixelRows src, int width, int height, int bytesPerPixel, bool keyed);

// Sets width x height pixels of bytesPerPixel to 0 (black in every RGB format).
void ClearPixels(PixelRows dst, int width, int height, int bytesPerPixel);

}  // namespace kaDraw
