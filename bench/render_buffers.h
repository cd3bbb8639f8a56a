#pragma once
// A colour and a 16-bit depth buffer of one size, 8-8-8-8 or 5-6-5, and the render target over
// them: what each render benchmark draws into.
#include <cstdint>
#include <vector>

#include "scene3d/ka3d.h"

struct RenderBuffers {
    std::vector<uint32_t> color;
    std::vector<uint16_t> depth;
    ka3D::RenderTarget target;
    RenderBuffers(int w, int h, int bits)
        : color(static_cast<size_t>(w) * h), depth(static_cast<size_t>(w) * h) {
        const bool deep = bits == 32;
        target = ka3D::RenderTarget{color.data(),
                                    w * bits / 8,
                                    w,
                                    h,
                                    bits,
                                    deep ? 0xFF0000u : 0xF800u,
                                    deep ? 0x00FF00u : 0x07E0u,
                                    deep ? 0x0000FFu : 0x001Fu,
                                    depth.data(),
                                    w * 2};
    }
};
