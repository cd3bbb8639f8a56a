#pragma once
// Triangle rasterizer of the ka3D renderer: exact edge functions on fixed-point vertices,
// Gouraud colour and a 16-bit depth test, writing any 16-, 24- or 32-bit RGB pixel format.
//
// Pixel rules: pixel (x, y) has its centre at (x + 0.5, y + 0.5); a pixel is drawn when its
// centre lies inside the triangle, or on an edge that is a top or a left edge. Two triangles
// that share an edge therefore never both draw, nor both miss, a pixel along it.

#include <cstdint>

#include "scene3d/ka3d.h"

namespace ka3D {

constexpr int kSubPixelBits = 8;  // vertex positions in 1/256 pixel
constexpr int kSubPixel = 1 << kSubPixelBits;
constexpr int kMaxTargetSize = 1 << 15;  // widest and tallest target drawn into

// A target prepared for drawing: buffers, the rectangle drawing is limited to, and how the
// colour channels are packed.
struct RasterTarget {
    uint8_t* color = nullptr;
    int colorPitch = 0;
    int bytesPerPixel = 0;  // 2, 3 or 4
    uint8_t* depth = nullptr;
    int depthPitch = 0;
    int clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;  // half-open pixel rectangle
    // Rows bandY0 .. bandY1 - 1 of the clip rectangle are the only ones drawn. A polygon is set
    // up over the whole clip rectangle whatever the band, so the bands of one picture drawn
    // apart give the very pixels of the picture drawn whole.
    int bandY0 = 0, bandY1 = kMaxTargetSize;
    // Channel c of a pixel is ((value >> rightShift[c]) << leftShift[c]) & mask[c], with value
    // the channel in 8.12 fixed point (0 .. 255 << 12).
    int rightShift[3] = {0, 0, 0};
    int leftShift[3] = {0, 0, 0};
    uint32_t mask[3] = {0, 0, 0};
    int kernel = 0;  // which span loop suits the format
};

struct RasterVertex {
    int32_t x, y;   // screen position in 1/kSubPixel pixels, within +-2^29
    float z;        // depth, 0 (front plane) .. 65535 (back plane)
    float r, g, b;  // colour channels, 0 .. 255.5 (levels are truncated, so +0.5 rounds)
};

// False when the target cannot be drawn into (no buffer, unknown depth, pitches too small).
bool PrepareTarget(const RenderTarget& target, RasterTarget* out);

// The pixel value of an 8-bit-per-channel colour in the target's format.
uint32_t PackColor(const RasterTarget& t, int red, int green, int blue);

// Fills the clip rectangle: colour with `pixel`, depth with the far value.
void ClearClipRect(const RasterTarget& t, uint32_t pixel);

// Draws the triangle when its corners run clockwise on the screen; nothing otherwise.
void DrawTriangle(const RasterTarget& t, const RasterVertex& v0, const RasterVertex& v1,
                  const RasterVertex& v2);

// Draws the quad made of the triangles (v0, v1, v2) and (v0, v2, v3), pixel for pixel as the
// two would be drawn; in one pass when it is convex and flat-shaded, which halves the rows.
void DrawQuad(const RasterTarget& t, const RasterVertex& v0, const RasterVertex& v1,
              const RasterVertex& v2, const RasterVertex& v3);

}  // namespace ka3D
