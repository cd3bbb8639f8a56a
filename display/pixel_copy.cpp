// The processor's copies between locked surfaces: the clear, the 3D picture keyed on black.
#include "display/pixel_copy.h"

#include <cstring>

namespace kaDraw {

namespace {

// Rows are read and written through memcpy, so that any row start and pitch is valid (a
// surface's pitch need not be a multiple of the pixel size); the compiler still makes each a
// plain load or store, and the select rather than a branch lets it use vector blends.
template <typename Pixel, Pixel kColourBits>
void KeyedRow(uint8_t* d, const uint8_t* s, int width) {
    for (int x = 0; x < width; ++x, d += sizeof(Pixel), s += sizeof(Pixel)) {
        Pixel sp, dp;
        std::memcpy(&sp, s, sizeof sp);
        std::memcpy(&dp, d, sizeof dp);
        dp = (sp & kColourBits) != 0 ? sp : dp;
        std::memcpy(d, &dp, sizeof dp);
    }
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
            KeyedRow<uint16_t, 0xFFFFu>(d, s, width);
        } else if (bytesPerPixel == 4) {
            KeyedRow<uint32_t, 0xFFFFFFu>(d, s, width);  // the top byte carries no colour
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
