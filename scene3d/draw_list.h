#pragma once
// What the renderer's geometry pass leaves for the rasterizer: the front-facing triangles and
// quads of one camera's picture, in drawing order, with the rows and columns each may touch.
// The list is filled once per camera and then drawn band by band, on as many threads as there
// are bands at a time; its storage is kept from frame to frame.
#include <cstddef>
#include <vector>

#include "scene3d/raster.h"

namespace ka3D {

constexpr int kMinBandRows = 16;  // the lowest band drawn apart

struct DrawItem {
    RasterVertex v[4];
    int corners;              // 3 or 4
    int top, bottom;          // rows the item may draw, inclusive, within the clip rectangle
    int firstBand, lastBand;  // the bands those rows fall in, at the last Bin
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
    // Room for `count` items, and for binning them, without growing.
    void Reserve(std::size_t count);

    // Sorts the items into `bands` bands of `bandRows` rows from row `firstRow`: an item goes
    // into every band it reaches, in the list's order. False, and nothing sorted, when that
    // would need more room than Reserve gave (a camera among huge polygons): every band then
    // looks at every item.
    bool Bin(int firstRow, int bandRows, int bands);
    bool Binned() const { return !bandStart_.empty(); }
    // The items of band `band` of the last Bin, as indices into Items().
    const int* BandBegin(int band) const { return binned_.data() + bandStart_[band]; }
    const int* BandEnd(int band) const { return binned_.data() + bandStart_[band + 1]; }

    const std::vector<DrawItem>& Items() const { return items_; }
    // Every pixel an item of the list may draw lies in this box.
    const PixelBox& Covered() const { return covered_; }

  private:
    void Add(const RasterVertex* const* v, int corners);
    std::vector<DrawItem> items_;
    PixelBox clip_, covered_;
    std::vector<int> bandStart_, cursor_, binned_;  // kept from frame to frame
};

// Draws the items of band `band` of the list's last Bin into the target, whose bandY0 and
// bandY1 give that band's rows.
void DrawBand(const RasterTarget& t, const DrawList& list, int band);

}  // namespace ka3D
