// Pixel values of GDI colours in the display's pixel formats.
#include "display/pixel_format.h"

namespace kaDraw {

namespace {

// Shift and 5-bit shift of one channel. A zero mask has no lowest set bit: shifting it until
// bit 0 is set would never end, so it gets 0 for both.
bool ChannelShifts(uint32_t mask, int& shift, int& shift5) {
    shift = 0;
    shift5 = 0;
    if (mask == 0) return false;
    while ((mask & 1u) == 0) {
        mask >>= 1;
        ++shift;
    }
    shift5 = shift + (mask == 0x3Fu ? 1 : 0);
    return true;
}

}  // namespace

bool ComputePixelFormat(int bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                        PixelFormatRecord& record) {
    record.bitsPerPixel = bitsPerPixel;
    record.redMask = redMask;
    record.greenMask = greenMask;
    record.blueMask = blueMask;
    bool red = ChannelShifts(redMask, record.redShift, record.red5Shift);
    bool green = ChannelShifts(greenMask, record.greenShift, record.green5Shift);
    bool blue = ChannelShifts(blueMask, record.blueShift, record.blue5Shift);
    record.hasMasks = red && green && blue;
    return record.hasMasks;
}

namespace {

uint8_t Channel(uint32_t pixel, uint32_t mask, int shift) {
    if (mask == 0) return 0;
    const uint32_t range = mask >> shift;
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((value * 255u + range / 2) / range);
}

}  // namespace

void PixelToRgb(uint32_t pixel, const PixelFormatRecord& format, uint8_t rgb[3]) {
    rgb[0] = Channel(pixel, format.redMask, format.redShift);
    rgb[1] = Channel(pixel, format.greenMask, format.greenShift);
    rgb[2] = Channel(pixel, format.blueMask, format.blueShift);
}

uint32_t ReadRawPixel(const void* p, int bitsPerPixel) {
    const unsigned char* bytes = static_cast<const unsigned char*>(p);
    int bits = bitsPerPixel >= 32 ? 32 : (bitsPerPixel < 1 ? 1 : bitsPerPixel);
    int count = (bits + 7) / 8;
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    if (bits < 32) value &= (1u << bits) - 1u;
    return value;
}

}  // namespace kaDraw
