#pragma once
// The pixel format record of the back screen: where each colour channel sits in a pixel, and
// where a 5-bit component (0..31) goes so that it lands in the top bits of a 5- or 6-bit channel.

#include <cstdint>

namespace kaDraw {

struct PixelFormatRecord {
    int bitsPerPixel;  // 16, 24 or 32 (8 and below for palette surfaces)
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    int redShift;  // bit position of the lowest set bit of the channel's mask
    int greenShift;
    int blueShift;
    int red5Shift;  // channel shift, plus 1 when the channel is 6 bits wide
    int green5Shift;
    int blue5Shift;
    bool hasMasks;  // false for a palette surface: every shift is 0
};

// Fills the record from the channel masks. A zero mask (a palette surface) gives shifts of 0
// for that channel and clears hasMasks; the result is false when any mask was zero.
bool ComputePixelFormat(int bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                        PixelFormatRecord& record);

// The raw pixel value at p on a surface of the given depth: the low bitsPerPixel bits of the
// little-endian value there (32 bits when bitsPerPixel is 32 or more). Reads only the pixel's
// own bytes.
uint32_t ReadRawPixel(const void* p, int bitsPerPixel);

// The 8-bit red, green and blue of a raw pixel, each channel scaled to 0..255 from its mask's
// width (a full channel gives 255). Channels without a mask give 0.
void PixelToRgb(uint32_t pixel, const PixelFormatRecord& format, uint8_t rgb[3]);

}  // namespace kaDraw
