#include "scene3d/draw_list.h"

#include <algorithm>
#include <cstdint>

namespace ka3D {

namespace {

int64_t Cross(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
    return (int64_t(b.x) - a.x) * (int64_t(c.y) - a.y) -
           (int64_t(b.y) - a.y) * (int64_t(c.x) - a.x);
}

// The pixel whose column or row holds a fixed-point position, one more on either side: every
// pixel centre a polygon holds lies within its corners' pixels.
int PixelBelow(int32_t fixed) {
    return (fixed >> kSubPixelBits) - 1;
}
int PixelAbove(int32_t fixed) {
    return (fixed >> kSubPixelBits) + 1;
}

}  // namespace

PixelBox Union(const PixelBox& a, const PixelBox& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return PixelBox{std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1),
                    std::max(a.y1, b.y1)};
}

void DrawList::Start(const RasterTarget& t) {
    items_.clear();
    clip_ = PixelBox{t.clipX0, t.clipY0, t.clipX1, t.clipY1};
    covered_ = PixelBox{};
}

void DrawList::Reserve(size_t count) {
    if (items_.capacity() < count) items_.reserve(count);
    // Most items reach one or two bands; the bands are at least kMinBandRows rows high.
    if (binned_.capacity() < 3 * count) binned_.reserve(3 * count);
    const size_t bandLimit = kMaxTargetSize / kMinBandRows + 1;
    if (bandStart_.capacity() < bandLimit) bandStart_.reserve(bandLimit);
    if (cursor_.capacity() < bandLimit) cursor_.reserve(bandLimit);
}

void DrawList::AddTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
    if (Cross(a, b, c) <= 0) return;
    const RasterVertex* v[3] = {&a, &b, &c};
    Add(v, 3);
}

void DrawList::AddQuad(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                       const RasterVertex& d) {
    // Drawn as (a, b, c) and (a, c, d) or in one pass: nothing when both halves face away.
    if (Cross(a, b, c) <= 0 && Cross(a, c, d) <= 0) return;
    const RasterVertex* v[4] = {&a, &b, &c, &d};
    Add(v, 4);
}

void DrawList::Add(const RasterVertex* const* v, int corners) {
    int32_t xLo = v[0]->x, xHi = xLo, yLo = v[0]->y, yHi = yLo;
    for (int i = 1; i < corners; ++i) {
        xLo = std::min(xLo, v[i]->x);
        xHi = std::max(xHi, v[i]->x);
        yLo = std::min(yLo, v[i]->y);
        yHi = std::max(yHi, v[i]->y);
    }
    const PixelBox box{std::max(PixelBelow(xLo), clip_.x0), std::max(PixelBelow(yLo), clip_.y0),
                       std::min(PixelAbove(xHi) + 1, clip_.x1),
                       std::min(PixelAbove(yHi) + 1, clip_.y1)};
    if (box.Empty()) return;
    DrawItem& item = items_.emplace_back();  // written in place: no copy of its corners
    for (int i = 0; i < corners; ++i) item.v[i] = *v[i];
    item.corners = corners;
    item.top = box.y0;
    item.bottom = box.y1 - 1;
    covered_ = Union(covered_, box);
}

bool DrawList::Bin(int firstRow, int bandRows, int bands) {
    binned_.clear();
    bandStart_.clear();
    if (bands + 1 > static_cast<int>(bandStart_.capacity())) return false;
    auto bandOf = [&](int row) { return std::clamp((row - firstRow) / bandRows, 0, bands - 1); };
    size_t total = 0;
    for (DrawItem& item : items_) {  // each item's bands worked out once, kept for both passes
        item.firstBand = bandOf(item.top);
        item.lastBand = bandOf(item.bottom);
        total += item.lastBand - item.firstBand + 1;
    }
    if (total > binned_.capacity()) return false;
    bandStart_.assign(static_cast<size_t>(bands) + 1, 0);
    for (const DrawItem& item : items_) {
        for (int b = item.firstBand; b <= item.lastBand; ++b) {
            ++bandStart_[static_cast<size_t>(b) + 1];
        }
    }
    for (int b = 0; b < bands; ++b) bandStart_[b + 1] += bandStart_[b];
    binned_.resize(total);
    cursor_.assign(bandStart_.begin(), bandStart_.end());
    for (size_t i = 0; i < items_.size(); ++i) {
        for (int b = items_[i].firstBand; b <= items_[i].lastBand; ++b) {
            binned_[static_cast<size_t>(cursor_[b]++)] = static_cast<int>(i);
        }
    }
    return true;
}

namespace {

void DrawItemInBand(const RasterTarget& t, const DrawItem& item) {
    if (item.corners == 4) {
        DrawQuad(t, item.v[0], item.v[1], item.v[2], item.v[3]);
    } else {
        DrawTriangle(t, item.v[0], item.v[1], item.v[2]);
    }
}

}  // namespace

void DrawBand(const RasterTarget& t, const DrawList& list, int band) {
    const std::vector<DrawItem>& items = list.Items();
    if (!list.Binned()) {
        for (const DrawItem& item : items) {
            if (item.bottom >= t.bandY0 && item.top < t.bandY1) DrawItemInBand(t, item);
        }
        return;
    }
    for (const int* i = list.BandBegin(band); i != list.BandEnd(band); ++i) {
        DrawItemInBand(t, items[static_cast<size_t>(*i)]);
    }
}

}  // namespace ka3D
