#pragma once
// A colour and depth buffer for render tests, and what was drawn into it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "scene3d/ka3d.h"

struct Canvas {
    int width, height, bytes;
    std::vector<uint8_t> color;
    std::vector<uint16_t> depth;
    ka3D::RenderTarget target;

    Canvas(int w, int h, int bits = 32, uint32_t r = 0xFF0000, uint32_t g = 0x00FF00,
           uint32_t b = 0x0000FF, int padding = 0)
        : width(w),
          height(h),
          bytes(bits / 8),
          color(static_cast<size_t>((w + padding) * bits / 8) * h, 0xA5),
          depth(static_cast<size_t>(w + padding) * h, 0x1234) {
        target = ka3D::RenderTarget{color.data(), (w + padding) * bytes, w, h, bits, r, g, b,
                                    depth.data(), (w + padding) * 2};
    }

    void Render() { ka3D::RenderInto(target); }

    uint32_t Pixel(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, &color[static_cast<size_t>(y) * target.colorPitch + x * bytes], bytes);
        return v;
    }

    // Bounding box and centroid of the pixels that differ from `background`.
    struct Cover {
        int count = 0, x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
        double cx = 0, cy = 0;
    };
    Cover CoverOf(uint32_t background) const {
        return CoverWhere([&](uint32_t p) { return p != background; });
    }
    template <typename Pred>
    Cover CoverWhere(Pred pred) const {
        Cover c;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (!pred(Pixel(x, y))) continue;
                ++c.count;
                c.x0 = x < c.x0 ? x : c.x0;
                c.y0 = y < c.y0 ? y : c.y0;
                c.x1 = x > c.x1 ? x : c.x1;
                c.y1 = y > c.y1 ? y : c.y1;
                c.cx += x + 0.5;
                c.cy += y + 0.5;
            }
        }
        if (c.count) {
            c.cx /= c.count;
            c.cy /= c.count;
        }
        return c;
    }
};
