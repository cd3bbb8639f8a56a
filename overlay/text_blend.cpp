// The 2:1 reduction and blend of drawn text into the sprite pictures.
#include "overlay/text_blend.h"

#include <algorithm>
#include <cstring>

namespace {

struct PixelCodec {
    int bytes;     // bytes per pixel
    uint32_t max;  // channel maximum
    int shift[3];  // channel positions within the pixel value
    uint32_t colorMask;
};

PixelCodec CodecFor(const TextPixelLayout& layout) {
    PixelCodec codec;
    if (layout.bitsPerPixel == 16 || layout.bitsPerPixel == 32) {
        codec.bytes = layout.bitsPerPixel / 8;
        codec.max = layout.bitsPerPixel == 16 ? 31 : 255;
        for (int i = 0; i < 3; ++i) codec.shift[i] = layout.shift[i];
        codec.colorMask = layout.colorMask ? layout.colorMask : 0xFFFFFFFFu;
    } else {
        // Three bytes, one channel each in memory order; read little-endian they sit at 0, 8, 16.
        codec.bytes = 3;
        codec.max = 255;
        codec.shift[0] = 0;
        codec.shift[1] = 8;
        codec.shift[2] = 16;
        codec.colorMask = 0xFFFFFF;
    }
    return codec;
}

inline uint32_t ReadPixel(const uint8_t* p, int bytes) {
    switch (bytes) {
        case 2: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            return v;
        }
        case 4: {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
        default: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
}

inline void WritePixel(uint8_t* p, int bytes, uint32_t v) {
    switch (bytes) {
        case 2: {
            uint16_t w = uint16_t(v);
            std::memcpy(p, &w, 2);
            break;
        }
        case 4: std::memcpy(p, &v, 4); break;
        default:
            p[0] = uint8_t(v);
            p[1] = uint8_t(v >> 8);
            p[2] = uint8_t(v >> 16);
            break;
    }
}

inline uint32_t Channel(uint32_t pixel, const PixelCodec& codec, int i) {
    // Shifts come from the display's format record; anything outside a 32-bit value reads 0.
    int s = codec.shift[i];
    if (s < 0 || s > 31) return 0;
    return (pixel >> s) & codec.max;
}

inline uint32_t Place(uint32_t value, const PixelCodec& codec, int i) {
    int s = codec.shift[i];
    if (s < 0 || s > 31) return 0;
    return value << s;
}

}  // namespace

bool ClipTextChunk(const TextClip& clip, TextChunkPlacement& c) {
    if (c.dx + c.width > clip.right) c.width = clip.right - c.dx;
    if (c.dy + c.height > clip.bottom) c.height = clip.bottom - c.dy;
    if (c.dx < clip.left) {
        int k = clip.left - c.dx;
        c.dx += k;
        c.width -= k;
        c.sx += 2 * k;
    }
    if (c.dy < clip.top) {
        int k = clip.top - c.dy;
        c.dy += k;
        c.height -= k;
        c.sy += 2 * k;
    }
    return c.width >= 0 && c.height >= 0;
}

void BlendTextPixels(const PixelPlane& source, const PixelPlane& target,
                     const PixelPlane& background, const TextPixelLayout& layout,
                     const TextChunkPlacement& c) {
    const PixelCodec codec = CodecFor(layout);
    const uint32_t m = codec.max;

    // Destination pixels that lie inside both the target and the background plane.
    int x0 = std::max(0, -c.dx);
    int y0 = std::max(0, -c.dy);
    int x1 = std::min({c.width, target.width - c.dx, background.width - c.dx});
    int y1 = std::min({c.height, target.height - c.dy, background.height - c.dy});

    for (int y = y0; y < y1; ++y) {
        const int cy = c.sy + 2 * y;
        const int rowFirst = std::max(y == 0 ? cy : cy - 1, 0);
        const int rowLast = std::min(cy + 1, source.height - 1);
        uint8_t* out = target.bits + (c.dy + y) * target.pitch;
        const uint8_t* back = background.bits + (c.dy + y) * background.pitch;
        for (int x = x0; x < x1; ++x) {
            const int cx = c.sx + 2 * x;
            const int colFirst = std::max(x == 0 ? cx : cx - 1, 0);
            const int colLast = std::min(cx + 1, source.width - 1);
            uint32_t n = 0;
            uint32_t sum[3] = {0, 0, 0};
            for (int sy = rowFirst; sy <= rowLast; ++sy) {
                const uint8_t* row = source.bits + sy * source.pitch;
                for (int sx = colFirst; sx <= colLast; ++sx) {
                    uint32_t p = ReadPixel(row + sx * codec.bytes, codec.bytes);
                    if ((p & codec.colorMask) == 0) continue;
                    ++n;
                    for (int i = 0; i < 3; ++i) sum[i] += Channel(p, codec, i);
                }
            }
            if (n == 0) continue;
            const int dxPix = c.dx + x;
            const uint32_t b = ReadPixel(back + dxPix * codec.bytes, codec.bytes);
            const uint32_t weight = n < 8 ? 8 - n : 0;
            uint32_t pixel = 0;
            for (int i = 0; i < 3; ++i) {
                uint32_t v = (sum[i] + m + weight * Channel(b, codec, i)) / 8;
                pixel |= Place(std::min(v, m), codec, i);
            }
            WritePixel(out + dxPix * codec.bytes, codec.bytes, pixel);
        }
    }
}
