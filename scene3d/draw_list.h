#pragma once
// What the renderer's geometry pass leaves for the rasterizer: the front-facing triangles and
// quads of one camera's picture, in drawing order, with the rows and columns each may touch.
// The list is filled once per camera and then drawn band by band, on as many threads as there
// are bands at a time; its storage is kept from frame to frame.
#include <cstddef>
#include <vector>

#include "scene3d/raster.h"

namespace ka3D {

struct DrawItem {
    RasterVertex v[4];
    int corners;      // 3 or 4
    int top, bottom;  // rows the item may draw, inclusive, within the clip rectangle
};

// A half-open pixel rectangle; empty when x0 >= x1 or y0 >= y1.
struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

// The smallest box holding both.
PixelBox Union(const PixelBox& a, const PixelBox& b);

class DrawList {
  public:
    // Empties the list for a picture clipped to t's clip rectangle.
    void Start(const RasterTarget& t);
    // Back faces (corners not clockwise on the screen) are left out.
    void AddTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);
    void AddQuad(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                 const RasterVertex& d);
    // Room for `count` items without growing.
    void Reserve(std::size_t count);

    const std::vector<DrawItem>& Items() const { return items_; }
    // Every pixel an item of the list may draw lies in this box.
    const PixelBox& Covered() const { return covered_; }

  private:
    void Add(const RasterVertex* const* v, int corners);
    std::vector<DrawItem> items_;
    PixelBox clip_, covered_;
};

// Draws the items that reach the target's band, in the list's order.
void DrawBand(const RasterTarget& t, const DrawList& list);

}  // namespace ka3D
