// The triangle rasterizer. Set-up turns each edge into an integer edge function
// E(P) = a * (Px - Xi) + b * (Py - Yi), positive inside a clockwise triangle; for every pixel
// row, each edge bounds the span from one side, and the bound is walked from row to row with
// an exact quotient and remainder, so no division is needed after set-up. Depth and colour are
// planes over the screen, evaluated at both ends of a span and stepped across it.
#include "scene3d/raster.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace ka3D {

namespace {

constexpr int kFraction = 12;  // span values in fixed point with 12 fraction bits
constexpr float kOne = static_cast<float>(1 << kFraction);
constexpr int64_t kHalf = kSubPixel / 2;  // pixel centre offset in fixed point

int64_t FloorDiv(int64_t n, int64_t d) {
    int64_t q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
    return q;
}

// floor(n / d) for a numerator that grows by `step` per row; d > 0.
struct EdgeWalk {
    int64_t q, r, d, stepQ, stepR;
    void Start(int64_t n, int64_t den, int64_t step) {
        d = den;
        q = FloorDiv(n, d);
        r = n - q * d;
        stepQ = FloorDiv(step, d);
        stepR = step - stepQ * d;
    }
    void Next() {
        q += stepQ;
        r += stepR;
        if (r >= d) {
            r -= d;
            ++q;
        }
    }
    int64_t Floor() const { return q; }
    int64_t Ceil() const { return q + (r != 0 ? 1 : 0); }
};

int CountBits(uint32_t m) {
    int n = 0;
    for (; m; m &= m - 1) ++n;
    return n;
}

int LowestBit(uint32_t m) {
    int n = 0;
    while (m && !(m & 1u)) {
        m >>= 1;
        ++n;
    }
    return n;
}

inline uint32_t Pack(const RasterTarget& t, int32_t r, int32_t g, int32_t b) {
    return (((static_cast<uint32_t>(r) >> t.rightShift[0]) << t.leftShift[0]) & t.mask[0]) |
           (((static_cast<uint32_t>(g) >> t.rightShift[1]) << t.leftShift[1]) & t.mask[1]) |
           (((static_cast<uint32_t>(b) >> t.rightShift[2]) << t.leftShift[2]) & t.mask[2]);
}

template <int Bytes>
inline void StorePixel(uint8_t* p, uint32_t v) {
    if (Bytes == 2) {
        uint16_t s = static_cast<uint16_t>(v);
        std::memcpy(p, &s, 2);
    } else if (Bytes == 4) {
        std::memcpy(p, &v, 4);
    } else {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
    }
}

// A value of a span: start and step in 12-bit fixed point.
struct SpanValue {
    int32_t start, step;
};

// The plane c(x, y) = c0 + dx * (x - x0) + dy * (y - y0) of one attribute, in pixel units.
struct Plane {
    double c0, dx, dy;
    double At(double x, double y) const { return c0 + dx * x + dy * y; }
};

SpanValue SpanOf(const Plane& p, double y, int lo, int hi, double maxValue) {
    double a = std::clamp(p.At(lo + 0.5, y), 0.0, maxValue);
    double b = std::clamp(p.At(hi + 0.5, y), 0.0, maxValue);
    SpanValue v;
    v.start = static_cast<int32_t>(a * kOne + 0.5);
    v.step = hi > lo ? static_cast<int32_t>((b - a) * kOne / (hi - lo)) : 0;
    return v;
}

struct SpanSetup {
    SpanValue z, r, g, b;
};

template <int Bytes>
void DrawSpan(const RasterTarget& t, int y, int lo, int hi, const SpanSetup& s) {
    uint16_t* zrow =
        reinterpret_cast<uint16_t*>(t.depth + static_cast<std::ptrdiff_t>(y) * t.depthPitch);
    uint8_t* crow = t.color + static_cast<std::ptrdiff_t>(y) * t.colorPitch;
    int32_t z = s.z.start, r = s.r.start, g = s.g.start, b = s.b.start;
    for (int x = lo; x <= hi; ++x) {
        uint16_t depth = static_cast<uint16_t>(z >> kFraction);
        if (depth <= zrow[x]) {
            zrow[x] = depth;
            StorePixel<Bytes>(crow + x * Bytes, Pack(t, r, g, b));
        }
        z += s.z.step;
        r += s.r.step;
        g += s.g.step;
        b += s.b.step;
    }
}

template <int Bytes>
void FillRect(const RasterTarget& t, uint32_t pixel) {
    for (int y = t.clipY0; y < t.clipY1; ++y) {
        uint8_t* crow = t.color + static_cast<std::ptrdiff_t>(y) * t.colorPitch;
        uint16_t* zrow =
            reinterpret_cast<uint16_t*>(t.depth + static_cast<std::ptrdiff_t>(y) * t.depthPitch);
        std::fill(zrow + t.clipX0, zrow + t.clipX1, static_cast<uint16_t>(0xFFFF));
        if (Bytes == 2) {
            uint16_t* row = reinterpret_cast<uint16_t*>(crow);
            std::fill(row + t.clipX0, row + t.clipX1, static_cast<uint16_t>(pixel));
        } else {
            for (int x = t.clipX0; x < t.clipX1; ++x) StorePixel<Bytes>(crow + x * Bytes, pixel);
        }
    }
}

}  // namespace

bool PrepareTarget(const RenderTarget& target, RasterTarget* out) {
    *out = RasterTarget{};
    int bytes = target.bitsPerPixel / 8;
    if (!target.color || !target.depth || target.width <= 0 || target.height <= 0) return false;
    if (target.bitsPerPixel != 16 && target.bitsPerPixel != 24 && target.bitsPerPixel != 32) {
        return false;
    }
    // Rows must hold the width; depth rows must keep 16-bit values aligned.
    if (target.colorPitch < target.width * bytes || target.depthPitch < target.width * 2 ||
        target.depthPitch % 2 != 0 || reinterpret_cast<uintptr_t>(target.depth) % 2 != 0) {
        return false;
    }
    out->color = static_cast<uint8_t*>(target.color);
    out->colorPitch = target.colorPitch;
    out->bytesPerPixel = bytes;
    out->depth = reinterpret_cast<uint8_t*>(target.depth);
    out->depthPitch = target.depthPitch;
    out->clipX1 = target.width;
    out->clipY1 = target.height;
    const uint32_t masks[3] = {target.redMask, target.greenMask, target.blueMask};
    for (int c = 0; c < 3; ++c) {
        // Channels wider than 8 bits take the 8 bits at their top; the rest stay 0.
        int bits = CountBits(masks[c]);
        int used = std::min(bits, 8);
        out->mask[c] = masks[c];
        out->rightShift[c] = kFraction + 8 - used;
        out->leftShift[c] = LowestBit(masks[c]) + (bits - used);
    }
    return true;
}

uint32_t PackColor(const RasterTarget& t, int red, int green, int blue) {
    auto fixed = [](int v) { return static_cast<int32_t>(std::clamp(v, 0, 255)) << kFraction; };
    return Pack(t, fixed(red), fixed(green), fixed(blue));
}

void ClearClipRect(const RasterTarget& t, uint32_t pixel) {
    if (t.clipX0 >= t.clipX1 || t.clipY0 >= t.clipY1) return;
    switch (t.bytesPerPixel) {
        case 2: FillRect<2>(t, pixel); break;
        case 3: FillRect<3>(t, pixel); break;
        case 4: FillRect<4>(t, pixel); break;
        default: break;
    }
}

void DrawTriangle(const RasterTarget& t, const RasterVertex& v0, const RasterVertex& v1,
                  const RasterVertex& v2) {
    const RasterVertex* v[3] = {&v0, &v1, &v2};
    const int64_t X[3] = {v0.x, v1.x, v2.x}, Y[3] = {v0.y, v1.y, v2.y};
    const int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area <= 0) return;  // back face or no area

    // Rows whose pixel centres lie within the triangle's vertical extent.
    const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    int64_t yStart = FloorDiv(minY - kHalf + kSubPixel - 1, kSubPixel);
    int64_t yEnd = FloorDiv(maxY - kHalf, kSubPixel);
    yStart = std::max<int64_t>(yStart, t.clipY0);
    yEnd = std::min<int64_t>(yEnd, t.clipY1 - 1);
    if (yStart > yEnd) return;

    // Edge set-up. A pixel is inside when E > 0, or E == 0 on a top or left edge: E - bias >= 0.
    EdgeWalk lower[3], upper[3];
    int lowerCount = 0, upperCount = 0;
    int64_t flatValue[3], flatStep[3];
    int flatCount = 0;
    const int64_t rowY = yStart * kSubPixel + kHalf;
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        int64_t a = Y[i] - Y[j], b = X[j] - X[i];
        bool topLeft = (Y[j] == Y[i] && X[j] > X[i]) || Y[j] < Y[i];
        int64_t bias = topLeft ? 0 : 1;
        // E at the centre of pixel (x, yStart) is a * kSubPixel * x + k.
        int64_t k = a * (kHalf - X[i]) + b * (rowY - Y[i]);
        int64_t need = bias - k;  // a * kSubPixel * x >= need
        if (a > 0) {
            lower[lowerCount++].Start(need, a * kSubPixel, -b * kSubPixel);
        } else if (a < 0) {
            upper[upperCount++].Start(-need, -a * kSubPixel, b * kSubPixel);
        } else {
            flatValue[flatCount] = k - bias;
            flatStep[flatCount++] = b * kSubPixel;
        }
    }

    // Depth and colour planes in pixel units.
    const double x0 = X[0] / double(kSubPixel), y0 = Y[0] / double(kSubPixel);
    const double dx1 = (X[1] - X[0]) / double(kSubPixel), dy1 = (Y[1] - Y[0]) / double(kSubPixel);
    const double dx2 = (X[2] - X[0]) / double(kSubPixel), dy2 = (Y[2] - Y[0]) / double(kSubPixel);
    const double det = area / double(kSubPixel) / double(kSubPixel);
    auto plane = [&](float RasterVertex::*field) {
        double c0 = v[0]->*field, c1 = v[1]->*field - c0, c2 = v[2]->*field - c0;
        Plane p;
        p.dx = (c1 * dy2 - c2 * dy1) / det;
        p.dy = (c2 * dx1 - c1 * dx2) / det;
        p.c0 = c0 - p.dx * x0 - p.dy * y0;
        return p;
    };
    const Plane zp = plane(&RasterVertex::z), rp = plane(&RasterVertex::r),
                gp = plane(&RasterVertex::g), bp = plane(&RasterVertex::b);

    for (int64_t y = yStart; y <= yEnd; ++y) {
        int64_t lo = t.clipX0, hi = t.clipX1 - 1;
        for (int e = 0; e < lowerCount; ++e) lo = std::max(lo, lower[e].Ceil());
        for (int e = 0; e < upperCount; ++e) hi = std::min(hi, upper[e].Floor());
        bool rowInside = true;
        for (int e = 0; e < flatCount; ++e) rowInside = rowInside && flatValue[e] >= 0;
        if (rowInside && lo <= hi) {
            const double cy = y + 0.5;
            const int l = static_cast<int>(lo), h = static_cast<int>(hi);
            SpanSetup s{SpanOf(zp, cy, l, h, 65535.0), SpanOf(rp, cy, l, h, 255.0),
                        SpanOf(gp, cy, l, h, 255.0), SpanOf(bp, cy, l, h, 255.0)};
            switch (t.bytesPerPixel) {
                case 2: DrawSpan<2>(t, static_cast<int>(y), l, h, s); break;
                case 3: DrawSpan<3>(t, static_cast<int>(y), l, h, s); break;
                default: DrawSpan<4>(t, static_cast<int>(y), l, h, s); break;
            }
        }
        for (int e = 0; e < lowerCount; ++e) lower[e].Next();
        for (int e = 0; e < upperCount; ++e) upper[e].Next();
        for (int e = 0; e < flatCount; ++e) flatValue[e] += flatStep[e];
    }
}

}  // namespace ka3D
