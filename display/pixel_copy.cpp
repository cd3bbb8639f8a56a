#include "display/pixel_copy.h"

#include <cstring>

namespace kaDraw {

namespace {

// Written as a select rather than a branch so that the compiler turns it into vector blends.
void KeyedRow16(uint16_t* d, const uint16_t* s, int width) {
    for (int x = 0; x < width; ++x) d[x] = s[x] != 0 ? s[x] : d[x];
}

// A 32-bit pixel's top byte carries no colour.
void KeyedRow32(uint32_t* d, const uint32_t* s, int width) {
    for (int x = 0; x < width; ++x) d[x] = (s[x] & 0xFFFFFFu) != 0 ? s[x] : d[x];
}

void KeyedRow24(uint8_t* d, const uint8_t* s, int width) {
    for (int x = 0; x < width; ++x, d += 3, s += 3) {
        if (s[0] | s[1] | s[2]) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

}  // namespace

void CopyPixels(PixelRows dst, PixelRows src, int width, int height, int bytesPerPixel,
                bool keyed) {
    if (width <= 0 || height <= 0) return;
    for (int y = 0; y < height; ++y) {
        uint8_t* d = dst.first + static_cast<long>(y) * dst.pitch;
        const uint8_t* s = src.first + static_cast<long>(y) * src.pitch;
        if (!keyed) {
            std::memcpy(d, s, static_cast<size_t>(width) * bytesPerPixel);
        } else if (bytesPerPixel == 2) {
            KeyedRow16(reinterpret_cast<uint16_t*>(d), reinterpret_cast<const uint16_t*>(s), width);
        } else if (bytesPerPixel == 4) {
            KeyedRow32(reinterpret_cast<uint32_t*>(d), reinterpret_cast<const uint32_t*>(s), width);
        } else {
            KeyedRow24(d, s, width);
        }
    }
}

void ClearPixels(PixelRows dst, int width, int height, int bytesPerPixel) {
    if (width <= 0 || height <= 0) return;
    for (int y = 0; y < height; ++y) {
        std::memset(dst.first + static_cast<long>(y) * dst.pitch, 0,
                    static_cast<size_t>(width) * bytesPerPixel);
    }
}

}  // namespace kaDraw
