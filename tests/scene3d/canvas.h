#pragma once
// The renderer's target in memory for the 3D tests.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scene3d/ka3d.h"

// A colour and a depth buffer, 8-8-8-8 or 5-6-5, filled with 0xA5 and 0x1234.
struct Canvas {
    int width, height, bytes;
    std::vector<uint8_t> color;
    std::vector<uint16_t> depth;
    ka3D::RenderTarget target;
    Canvas(int w, int h, int bits = 32) : width(w), height(h), bytes(bits / 8) {
        color.assign(size_t(w) * h * bytes, 0xA5);
        depth.assign(size_t(w) * h, 0x1234);
        const bool deep = bits == 32;
        const uint32_t r = deep ? 0xFF0000 : 0xF800, g = deep ? 0xFF00 : 0x07E0,
                       b = deep ? 0xFF : 0x1F;
        target = {color.data(), w * bytes, w, h, bits, r, g, b, depth.data(), w * 2};
    }
    void Render() { ka3D::RenderInto(target); }
    uint32_t Pixel(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, &color[y * target.colorPitch + x * bytes], bytes);
        return v;
    }
    // Number and bounding box of the pixels of one colour, or of all others.
    struct Cover {
        int count = 0, x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    };
    Cover Of(uint32_t colour, bool others = false) const {
        Cover c;
        for (int i = 0; i < width * height; ++i) {
            const int x = i % width, y = i / width;
            if ((Pixel(x, y) == colour) == others) continue;
            ++c.count;
            c.x0 = std::min(c.x0, x);
            c.y0 = std::min(c.y0, y);
            c.x1 = std::max(c.x1, x);
            c.y1 = std::max(c.y1, y);
        }
        return c;
    }
};
