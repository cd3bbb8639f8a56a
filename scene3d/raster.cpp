// The triangle rasterizer. Set-up turns each edge into an integer edge function
// E(P) = a * (Px - Xi) + b * (Py - Yi), positive inside a clockwise triangle; for every pixel
// row, each edge bounds the span from one side, and the bound is walked from row to row with
// an exact quotient and remainder, so no division is needed after set-up. Depth and colour are
// planes over the screen, evaluated at both ends of a span and stepped across it.
#include "scene3d/raster.h"

#include <algorithm>
#include <cmath>
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
        Divide(n, &q, &r);
        Divide(step, &stepQ, &stepR);
    }
    // Quotient from a floating-point guess, then made exact: all values stay far below 2^53.
    void Divide(int64_t n, int64_t* quotient, int64_t* remainder) const {
        int64_t g =
            static_cast<int64_t>(std::floor(static_cast<double>(n) / static_cast<double>(d)));
        int64_t rest = n - g * d;
        while (rest < 0) {
            rest += d;
            --g;
        }
        while (rest >= d) {
            rest -= d;
            ++g;
        }
        *quotient = g;
        *remainder = rest;
    }
    void Next() {  // without a branch: the carry is as likely as not
        r += stepR;
        const int64_t carry = r >= d ? 1 : 0;
        q += stepQ + carry;
        r -= carry * d;
    }
    // A bound that never limits: the span's other edges and the clip decide.
    void SetUnbounded(int64_t value) {
        q = value;
        r = stepQ = stepR = 0;
        d = 1;
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

// One attribute over the triangle, in 12-bit fixed point: `row` is its value at the centre of
// pixel (xRef, y) of the current row, `dx` and `dy` its steps per pixel and per row.
struct Gradient {
    double row, dx, dy;
    double maxValue;
    // Start and step of the span lo..hi. Stepping by the gradient is exact up to rounding;
    // when rounding would carry the far end outside 0 .. maxValue (slivers have huge
    // gradients), the step is taken between the clamped end values instead, so every pixel of
    // the span stays in range.
    SpanValue Span(int lo, int hi) const {
        SpanValue v;
        v.start = static_cast<int32_t>(std::clamp(row + dx * lo, 0.0, maxValue));
        v.step = static_cast<int32_t>(dx);
        const int64_t last = v.start + static_cast<int64_t>(v.step) * (hi - lo);
        if (last < 0 || last > static_cast<int64_t>(maxValue)) {
            double end = std::clamp(row + dx * hi, 0.0, maxValue);
            v.step = static_cast<int32_t>((end - v.start) / (hi - lo));
        }
        return v;
    }
};

struct SpanSetup {
    SpanValue z, r, g, b;
};

// Packers turn the 8.12 channel values of a pixel into its bits: fixed shifts for the common
// formats, the target's shifts and masks for any other.
template <int R, int G, int B>  // bit positions of 5- or 8-bit channels
struct FixedPacker {
    uint32_t operator()(int32_t r, int32_t g, int32_t b) const {
        if (R == 11) {  // 5-6-5
            return (static_cast<uint32_t>(r >> 15) << 11) | (static_cast<uint32_t>(g >> 14) << 5) |
                   static_cast<uint32_t>(b >> 15);
        }
        if (R == 10) {  // 5-5-5
            return (static_cast<uint32_t>(r >> 15) << 10) | (static_cast<uint32_t>(g >> 15) << 5) |
                   static_cast<uint32_t>(b >> 15);
        }
        return (static_cast<uint32_t>(r >> 12) << R) | (static_cast<uint32_t>(g >> 12) << G) |
               (static_cast<uint32_t>(b >> 12) << B);  // 8-8-8
    }
};

struct MaskPacker {
    int rs0, rs1, rs2, ls0, ls1, ls2;
    uint32_t m0, m1, m2;
    explicit MaskPacker(const RasterTarget& t)
        : rs0(t.rightShift[0]),
          rs1(t.rightShift[1]),
          rs2(t.rightShift[2]),
          ls0(t.leftShift[0]),
          ls1(t.leftShift[1]),
          ls2(t.leftShift[2]),
          m0(t.mask[0]),
          m1(t.mask[1]),
          m2(t.mask[2]) {}
    uint32_t operator()(int32_t r, int32_t g, int32_t b) const {
        return (((static_cast<uint32_t>(r) >> rs0) << ls0) & m0) |
               (((static_cast<uint32_t>(g) >> rs1) << ls1) & m1) |
               (((static_cast<uint32_t>(b) >> rs2) << ls2) & m2);
    }
};

// One row of a triangle: depth test, then the Gouraud colour, stepping every value by its
// gradient from pixel to pixel.
template <int Bytes, typename Packer>
void DrawSpan(const RasterTarget& t, int y, int lo, int hi, const SpanSetup& s) {
    const Packer pack(t);
    uint16_t* zrow =
        reinterpret_cast<uint16_t*>(t.depth + static_cast<std::ptrdiff_t>(y) * t.depthPitch);
    uint8_t* crow = t.color + static_cast<std::ptrdiff_t>(y) * t.colorPitch;
    int32_t z = s.z.start, r = s.r.start, g = s.g.start, b = s.b.start;
    const int32_t dz = s.z.step, dr = s.r.step, dg = s.g.step, db = s.b.step;
    for (int x = lo; x <= hi; ++x) {
        uint16_t depth = static_cast<uint16_t>(z >> kFraction);
        if (depth <= zrow[x]) {
            zrow[x] = depth;
            StorePixel<Bytes>(crow + x * Bytes, pack(r, g, b));
        }
        z += dz;
        r += dr;
        g += dg;
        b += db;
    }
}

using SpanKernel = void (*)(const RasterTarget&, int, int, int, const SpanSetup&);

template <int R, int G, int B>
struct Fixed : FixedPacker<R, G, B> {
    explicit Fixed(const RasterTarget&) {}
};

const SpanKernel kKernels[] = {
    DrawSpan<2, MaskPacker>,      DrawSpan<3, MaskPacker>,      DrawSpan<4, MaskPacker>,
    DrawSpan<2, Fixed<11, 5, 0>>, DrawSpan<2, Fixed<10, 5, 0>>, DrawSpan<3, Fixed<16, 8, 0>>,
    DrawSpan<4, Fixed<16, 8, 0>>,
};

// Index into kKernels for a target's format.
int KernelFor(int bytes, uint32_t r, uint32_t g, uint32_t b) {
    if (bytes == 2 && r == 0xF800 && g == 0x07E0 && b == 0x001F) return 3;
    if (bytes == 2 && r == 0x7C00 && g == 0x03E0 && b == 0x001F) return 4;
    if (bytes >= 3 && r == 0xFF0000 && g == 0x00FF00 && b == 0x0000FF) return bytes == 3 ? 5 : 6;
    return bytes - 2;
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
    out->kernel = KernelFor(bytes, target.redMask, target.greenMask, target.blueMask);
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
    int64_t yStartLimit = yStart, yEndLimit = yEnd;  // narrowed by horizontal edges

    // Edge set-up. A pixel is inside when E > 0, or E == 0 on a top or left edge: E - bias >= 0.
    // An edge with a > 0 bounds the span from the left, one with a < 0 from the right; a
    // horizontal edge only bounds the rows.
    EdgeWalk lower[2], upper[2];
    lower[1].SetUnbounded(t.clipX0);
    upper[1].SetUnbounded(t.clipX1 - 1);
    int lowerCount = 0, upperCount = 0;
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
            // k + b * kSubPixel * (y - yStart) >= bias: b > 0 keeps rows from some row on.
            const int64_t rows = FloorDiv(need + b * kSubPixel - 1, b * kSubPixel);
            if (b > 0) {
                yStartLimit = std::max(yStartLimit, yStart + rows);
            } else {
                yEndLimit = std::min(yEndLimit, yStart + FloorDiv(-need, -b * kSubPixel));
            }
        }
    }

    // Depth and colour as gradients over the screen, relative to the first row's pixel xRef.
    const double x0 = X[0] / double(kSubPixel), y0 = Y[0] / double(kSubPixel);
    const double dx1 = (X[1] - X[0]) / double(kSubPixel), dy1 = (Y[1] - Y[0]) / double(kSubPixel);
    const double dx2 = (X[2] - X[0]) / double(kSubPixel), dy2 = (Y[2] - Y[0]) / double(kSubPixel);
    const double invDet = double(kSubPixel) * double(kSubPixel) / static_cast<double>(area);
    const int64_t xRef = X[0] >> kSubPixelBits;
    auto gradient = [&](float RasterVertex::*field, double maxValue) {
        double c0 = v[0]->*field, c1 = v[1]->*field - c0, c2 = v[2]->*field - c0;
        double gx = (c1 * dy2 - c2 * dy1) * invDet, gy = (c2 * dx1 - c1 * dx2) * invDet;
        double atRef = c0 + gx * (xRef + 0.5 - x0) + gy * (yStart + 0.5 - y0);
        return Gradient{atRef * kOne, gx * kOne, gy * kOne, maxValue * kOne};
    };
    Gradient zg = gradient(&RasterVertex::z, 65535.0), rg = gradient(&RasterVertex::r, 255.0),
             gg = gradient(&RasterVertex::g, 255.0), bg = gradient(&RasterVertex::b, 255.0);

    const SpanKernel kernel = kKernels[t.kernel];
    for (int64_t y = yStart; y <= yEnd; ++y) {
        const int64_t lo = std::max(lower[0].Ceil(), lower[1].Ceil());
        const int64_t hi = std::min(upper[0].Floor(), upper[1].Floor());
        if (lo <= hi && y >= yStartLimit && y <= yEndLimit) {
            const int l = static_cast<int>(std::max<int64_t>(lo, t.clipX0));
            const int h = static_cast<int>(std::min<int64_t>(hi, t.clipX1 - 1));
            if (l <= h) {
                const int rl = static_cast<int>(l - xRef), rh = static_cast<int>(h - xRef);
                SpanSetup s{zg.Span(rl, rh), rg.Span(rl, rh), gg.Span(rl, rh), bg.Span(rl, rh)};
                kernel(t, static_cast<int>(y), l, h, s);
            }
        }
        lower[0].Next();
        lower[1].Next();
        upper[0].Next();
        upper[1].Next();
        zg.row += zg.dy;
        rg.row += rg.dy;
        gg.row += gg.dy;
        bg.row += bg.dy;
    }
}

}  // namespace ka3D
