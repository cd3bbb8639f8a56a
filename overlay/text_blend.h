#pragma once
// The anti-aliasing kernel of the title screen's text: a picture drawn at twice the final size
// (the Font buffer) is reduced 2:1 by averaging a 3 x 3 neighbourhood around every second
// pixel, blended in eighths against the background (the back screen) and written into a third
// picture (the Font sprite). Works on raw pixel rows of 16, 24 or 32 bits, so it runs the same
// on a locked DirectDraw surface and on plain memory.

#include <cstdint>

// One locked picture: its first row, the bytes from one row to the next, its size in pixels.
struct PixelPlane {
    uint8_t* bits;
    int pitch;
    int width;
    int height;
};

// How a pixel holds its three channels.
//   16 bits: channel i is (pixel >> shift[i]) & 31; for a 6-bit channel the shift is one above
//            the channel's lowest bit, so its top five bits are used.
//   32 bits: channel i is (pixel >> shift[i]) & 255.
//   other:   three bytes, each byte in memory order is one channel; the shifts are not used.
// A pixel is black when none of the bits of colorMask (the three channels' masks together) is
// set; the other bits (the X of X8R8G8B8 or X1R5G5B5) may hold anything. A colorMask of 0 counts
// every bit of the pixel.
struct TextPixelLayout {
    int bitsPerPixel;
    int shift[3];
    uint32_t colorMask;
};

// Clip rectangle in screen pixels: left and top inside, right and bottom just outside.
struct TextClip {
    int left;
    int top;
    int right;
    int bottom;
};

// A chunk to blend: destination (dx, dy) in screen pixels, source (sx, sy) in buffer pixels,
// width and height in screen pixels.
struct TextChunkPlacement {
    int dx;
    int dy;
    int sx;
    int sy;
    int width;
    int height;
};

// Clips a chunk against the clip rectangle: the right and bottom edges shorten it; a start left
// of (above) the clip moves the destination by k, shrinks the chunk by k and moves the source
// by 2k. False when nothing is left (width or height negative).
bool ClipTextChunk(const TextClip& clip, TextChunkPlacement& chunk);

// Blends an already clipped chunk. For each destination pixel (x, y) the source neighbourhood is
// centred on (sx + 2x, sy + 2y), one pixel either way, without the left column when x = 0 and
// without the upper row when y = 0. With n non-black samples summed per channel:
//   n = 0: the destination pixel is left as it is;
//   else : channel := min(M, (sum + M + max(0, 8 - n) * background) / 8).
// Reads and writes stay inside the three planes whatever the placement says: source samples
// outside the source plane count as black, destination pixels outside the destination or the
// background plane are skipped.
void BlendTextPixels(const PixelPlane& source, const PixelPlane& target,
                     const PixelPlane& background, const TextPixelLayout& layout,
                     const TextChunkPlacement& chunk);
