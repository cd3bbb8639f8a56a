// The processor's pixel copies against a per-pixel statement of what a keyed or opaque blit
// and a black fill do, in every pixel size, on rows with padding and on a part of the surface.
#include "display/pixel_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace kaDraw;

namespace {

struct Surface {
    int width, height, bytes, pitch;
    std::vector<uint8_t> data;
    Surface(int w, int h, int b, uint32_t seed) : width(w), height(h), bytes(b), pitch(w * b + 6) {
        data.resize(static_cast<size_t>(pitch) * h);
        for (uint8_t& v : data) {
            seed = seed * 214013u + 2531011u;
            v = static_cast<uint8_t>(seed >> 16);
        }
    }
    uint8_t* At(int x, int y) { return data.data() + y * pitch + x * bytes; }
    // A third of the pixels black, the top byte of some 32-bit black pixels set.
    void Blacken() {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if ((x + 2 * y) % 3 != 0) continue;
                std::memset(At(x, y), 0, bytes);
                if (bytes == 4 && x % 2) At(x, y)[3] = 0xFF;
            }
        }
    }
};

bool Black(const uint8_t* p, int bytes) {
    return p[0] == 0 && p[1] == 0 && (bytes == 2 || p[2] == 0);
}

}  // namespace

TEST(PixelCopy, KeyedOpaqueAndClearMatchTheBlitterPixelForPixel) {
    for (int bytes : {2, 3, 4}) {
        for (bool keyed : {true, false}) {
            SCOPED_TRACE(testing::Message() << bytes << " bytes, keyed " << keyed);
            Surface src(37, 11, bytes, 1), dst(41, 13, bytes, 2);
            src.Blacken();
            Surface expected = dst;
            // 30 x 9 pixels from (5, 1) of the source to (3, 2) of the destination.
            for (int y = 0; y < 9; ++y) {
                for (int x = 0; x < 30; ++x) {
                    const uint8_t* s = src.At(5 + x, 1 + y);
                    if (keyed && Black(s, bytes)) continue;
                    std::memcpy(expected.At(3 + x, 2 + y), s, bytes);
                }
            }
            CopyPixels({dst.At(3, 2), dst.pitch}, {src.At(5, 1), src.pitch}, 30, 9, bytes, keyed);
            EXPECT_EQ(dst.data, expected.data);
        }
        Surface dst(41, 13, bytes, 3);
        Surface expected = dst;
        for (int y = 4; y < 10; ++y) std::memset(expected.At(2, y), 0, 20 * bytes);
        ClearPixels({dst.At(2, 4), dst.pitch}, 20, 6, bytes);
        EXPECT_EQ(dst.data, expected.data) << bytes;
        CopyPixels({dst.At(0, 0), dst.pitch}, {dst.At(1, 1), dst.pitch}, 0, 5, bytes, true);
        ClearPixels({dst.At(0, 0), dst.pitch}, 5, 0, bytes);
        EXPECT_EQ(dst.data, expected.data) << "empty rectangles leave everything as it was";
    }
}
