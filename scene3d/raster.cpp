// The rasterizer: triangles, and flat quads in one pass.
//
// Set-up: each edge of a convex polygon running clockwise on the screen becomes an integer
// edge function E(P) = a * (Px - Xi) + b * (Py - Yi) on the fixed-point corners, positive
// inside. From the top corner, the edges going on bound the spans on the right and the edges
// going back bound them on the left; horizontal edges bound only the rows.
//
// Edge walking: on every pixel row an edge bounds the span from one side at
// ceil or floor(need / d); the quotient and remainder are walked from row to row, so the bound
// is exact without a division per row, and polygons sharing an edge share every pixel of it
// exactly once (top-left rule).
//
// Interpolation: depth and colour are planes over the screen, evaluated at the start of each
// span and stepped across it in fixed point.
//
// Depth test: 16 bits; a pixel is written when it is not farther than what is there.
//
// The span loops exist twice: plain C++ for every pixel format, and SSE2 versions for the
// common ones that give the very same pixels.
#include "scene3d/raster.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

// The span loops are small and called once per row: inlined into the row loop they keep the
// row's values in registers.
#if defined(__GNUC__)
#define KA3D_INLINE inline __attribute__((always_inline))
#else
#define KA3D_INLINE inline
#endif

namespace ka3D {

namespace {

// Span values in fixed point: depth with 12 fraction bits (16.12), colour channels with 8
// (8.8, so that a channel fits a 16-bit lane).
constexpr int kFraction = 12;
constexpr int kColorFraction = 8;
constexpr int64_t kHalf = kSubPixel / 2;  // pixel centre offset in fixed point

// v held to lo .. hi; NaN becomes lo.
inline float Limit(float v, float lo, float hi) {
    return v >= lo ? (v <= hi ? v : hi) : lo;
}

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
    // Quotient from a floating-point guess, then made exact. The guess is truncated towards
    // zero, one above the floor for most negative quotients: that step is taken without a
    // branch, and the loops are left for rounding, which is rare.
    void Divide(int64_t n, int64_t* quotient, int64_t* remainder) const {
        int64_t g = static_cast<int64_t>(static_cast<double>(n) / static_cast<double>(d));
        int64_t rest = n - g * d;
        const int64_t below = rest < 0 ? 1 : 0;
        g -= below;
        rest += below * d;
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
    int64_t Floor() const { return q; }
    int64_t Ceil() const { return q + (r != 0 ? 1 : 0); }
};

// An edge from corner i to corner j of a clockwise polygon. A pixel is inside when E > 0, or
// E == 0 on a top or left edge: E - bias >= 0.
struct Edge {
    int64_t a, b, x, y, bias;
};

// Written field by field where it is kept: a whole edge returned by value and copied on was
// read back before its stores had landed, which stalled every set-up.
void SetEdge(Edge* e, const int64_t* X, const int64_t* Y, int i, int j) {
    const bool topLeft = (Y[j] == Y[i] && X[j] > X[i]) || Y[j] < Y[i];
    e->a = Y[i] - Y[j];
    e->b = X[j] - X[i];
    e->x = X[i];
    e->y = Y[i];
    e->bias = topLeft ? 0 : 1;
}

// The span bound a sloping edge sets on each row from `row` on: a left edge (a > 0) gives the
// first pixel, Ceil(); a right edge (a < 0) the last one, Floor().
EdgeWalk WalkFrom(const Edge& e, int64_t row) {
    // E at the centre of pixel (x, row) is a * kSubPixel * x + k; it must reach the bias.
    const int64_t k = e.a * (kHalf - e.x) + e.b * (row * kSubPixel + kHalf - e.y);
    const int64_t need = e.bias - k;  // a * kSubPixel * x >= need
    EdgeWalk w;
    if (e.a > 0) {
        w.Start(need, e.a * kSubPixel, -e.b * kSubPixel);
    } else {
        w.Start(-need, -e.a * kSubPixel, e.b * kSubPixel);
    }
    return w;
}

// Rows whose centre Py satisfies the horizontal edge's condition b * (Py - y) >= bias, within
// [first, last].
void LimitRows(const Edge& e, int64_t* first, int64_t* last) {
    const int64_t need = e.bias - e.b * (*first * kSubPixel + kHalf - e.y);  // b*S*(row-first)
    const int64_t step = e.b * kSubPixel;
    if (step > 0) {
        *first += std::max<int64_t>(0, FloorDiv(need + step - 1, step));
    } else {
        *last = std::min(*last, *first + FloorDiv(-need, -step));
    }
}

// Packers turn the 8.8 channel values of a pixel into its bits: fixed masks for the common
// formats, the target's shifts and masks for any other.
template <int R, int G, int B>  // bit positions of the channels
struct FixedPacker {
    explicit FixedPacker(const RasterTarget&) {}
    uint32_t operator()(int32_t r, int32_t g, int32_t b) const {
        const uint32_t ur = static_cast<uint32_t>(r), ug = static_cast<uint32_t>(g),
                       ub = static_cast<uint32_t>(b);
        if (R == 11) return (ur & 0xF800) | ((ug >> 5) & 0x07E0) | (ub >> 11);         // 5-6-5
        if (R == 10) return ((ur >> 1) & 0x7C00) | ((ug >> 6) & 0x03E0) | (ub >> 11);  // 5-5-5
        return ((ur >> 8) << R) | ((ug >> 8) << G) | ((ub >> 8) << B);                 // 8-8-8
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

inline uint32_t Pack(const RasterTarget& t, int32_t r, int32_t g, int32_t b) {
    return MaskPacker(t)(r, g, b);
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

// One side of a convex polygon: its sloping edges from top to bottom, and the first row on
// which each one bounds the spans.
struct Chain {
    Edge edge[3];
    int64_t firstRow[3];
    int count = 0;
};

// A polygon ready for its rows. Depth, red, green and blue are planes in fixed point: each
// one's value at the centre of pixel (xRef, yRef), and its steps per pixel and per row.
struct Setup {
    int64_t yStart, yEnd;  // rows drawn
    int64_t yRef;          // the polygon's first row in the clip rectangle, whatever the band
    Chain left, right;
    int64_t xRef;
    alignas(16) float origin[4];
    alignas(16) float dx[4];
    alignas(16) float dy[4];
    alignas(16) float maxValue[4];
    alignas(16) int32_t step[4];  // dx as integer steps
    // Slivers: gradients so steep that every span is range-checked, in double precision.
    bool careful;
    double exact[4][3];  // origin, dx, dy
#if defined(__SSE2__)
    // Span loop constants: lane offsets and steps of eight pixels, as the span loop's vectors
    // (depth offsets, colour offsets, colour steps, depth step).
    alignas(16) int32_t lanes[9][4];
#endif
};

// Start values of a span at pixel lo of row y, and its steps. A value at a pixel centre inside
// the polygon lies between the corners' values; stepping by a gradient truncated towards zero
// stays between the start and the exact value, so every pixel of the span stays in range.
// Slivers need more: their step is taken between the clamped values at both ends.
struct Span {
    alignas(16) int32_t value[4];
    const int32_t* step;
};

KA3D_INLINE void SpanAt(const Setup& s, int64_t y, int lo, Span* span) {
    const float fy = static_cast<float>(y - s.yRef), fx = static_cast<float>(lo - s.xRef);
#if defined(__SSE2__)
    __m128 v = _mm_add_ps(_mm_load_ps(s.origin),
                          _mm_add_ps(_mm_mul_ps(_mm_load_ps(s.dy), _mm_set1_ps(fy)),
                                     _mm_mul_ps(_mm_load_ps(s.dx), _mm_set1_ps(fx))));
    v = _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_load_ps(s.maxValue));
    _mm_store_si128(reinterpret_cast<__m128i*>(span->value), _mm_cvttps_epi32(v));
#else
    for (int k = 0; k < 4; ++k) {
        float v = s.origin[k] + s.dy[k] * fy + s.dx[k] * fx;
        span->value[k] = static_cast<int32_t>(std::min(std::max(v, 0.0f), s.maxValue[k]));
    }
#endif
    span->step = s.step;
}

inline void CarefulSpanAt(const Setup& s, int64_t y, int lo, int hi, Span* span, int32_t* steps) {
    const double dy = static_cast<double>(y - s.yRef), dx = static_cast<double>(lo - s.xRef);
    for (int k = 0; k < 4; ++k) {
        const double* e = s.exact[k];
        const double limit = s.maxValue[k];
        const double a = std::clamp(e[0] + e[2] * dy + e[1] * dx, 0.0, limit);
        const double b = std::clamp(e[0] + e[2] * dy + e[1] * (dx + hi - lo), 0.0, limit);
        span->value[k] = static_cast<int32_t>(a);
        steps[k] = hi > lo ? static_cast<int32_t>((b - span->value[k]) / (hi - lo)) : 0;
    }
    span->step = steps;
}

// One row: depth test, then the Gouraud colour, each value stepped from pixel to pixel.
template <int Bytes, typename PixelPacker>
struct ScalarSpan {
    static constexpr int kBytes = Bytes;
    using Packer = PixelPacker;
    static KA3D_INLINE void Draw(const RasterTarget& t, const Setup&, int64_t y, int lo, int hi,
                                 const Span& s) {
        const Packer pack(t);
        uint16_t* zrow =
            reinterpret_cast<uint16_t*>(t.depth + static_cast<std::ptrdiff_t>(y) * t.depthPitch);
        uint8_t* crow = t.color + static_cast<std::ptrdiff_t>(y) * t.colorPitch;
        int32_t z = s.value[0], r = s.value[1], g = s.value[2], b = s.value[3];
        const int32_t dz = s.step[0], dr = s.step[1], dg = s.step[2], db = s.step[3];
        for (int x = lo; x <= hi; ++x) {
            const uint16_t depth = static_cast<uint16_t>(z >> kFraction);
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
};

#if defined(__SSE2__)
// The same row, several pixels at a time. A block may reach past the span's end as long as it
// stays inside the clip rectangle: lanes past the end keep what the buffers hold. Depth values
// are compared as signed numbers after subtracting 0x8000 (SSE2 has no unsigned 16-bit
// compare); a lane is kept where the new depth is greater (farther).

inline __m128i Select(__m128i keep, __m128i old, __m128i fresh) {
    return _mm_or_si128(_mm_and_si128(keep, old), _mm_andnot_si128(keep, fresh));
}

// Lanes at or past `count` of eight 16-bit lanes.
inline __m128i LanesFrom(int count) {
    return _mm_cmpgt_epi16(_mm_setr_epi16(1, 2, 3, 4, 5, 6, 7, 8),
                           _mm_set1_epi16(static_cast<short>(count)));
}

// Depth held less 0x8000 levels in the span's lanes, so that a shift gives the signed depth.
constexpr uint32_t kDepthBias = 0x8000u << kFraction;

// The depth and colour of eight pixels of a span in SIMD lanes, from its first pixel: depth in
// two 32-bit halves, each colour channel in 16-bit lanes; Step moves all of them eight pixels on.
struct EightLanes {
    __m128i zLow, zHigh, colour[3], zStep;
    const __m128i* colourStep;
    KA3D_INLINE EightLanes(const Setup& setup, const Span& s) {
        const __m128i* lanes = reinterpret_cast<const __m128i*>(setup.lanes);
        // The start values spread over the lanes by shuffles, without leaving the vector unit:
        // depth from 32-bit lane 0, each colour from the low 16 bits of lanes 1, 2 and 3.
        const __m128i value = _mm_load_si128(reinterpret_cast<const __m128i*>(s.value));
        const __m128i z0 = _mm_sub_epi32(_mm_shuffle_epi32(value, 0x00),
                                         _mm_set1_epi32(static_cast<int32_t>(kDepthBias)));
        zLow = _mm_add_epi32(z0, _mm_load_si128(lanes));
        zHigh = _mm_add_epi32(z0, _mm_load_si128(lanes + 1));
        const __m128i red = _mm_shuffle_epi32(_mm_shufflelo_epi16(value, 0xAA), 0x00);
        const __m128i green = _mm_shuffle_epi32(_mm_shufflehi_epi16(value, 0x00), 0xAA);
        const __m128i blue = _mm_shuffle_epi32(_mm_shufflehi_epi16(value, 0xAA), 0xAA);
        colour[0] = _mm_add_epi16(red, _mm_load_si128(lanes + 2));
        colour[1] = _mm_add_epi16(green, _mm_load_si128(lanes + 3));
        colour[2] = _mm_add_epi16(blue, _mm_load_si128(lanes + 4));
        zStep = _mm_load_si128(lanes + 8);
        colourStep = lanes + 5;
    }
    // The eight 16-bit depths, less 0x8000 so that signed compares order them.
    KA3D_INLINE __m128i Depth() const {
        return _mm_packs_epi32(_mm_srai_epi32(zLow, kFraction), _mm_srai_epi32(zHigh, kFraction));
    }
    KA3D_INLINE void Step() {
        zLow = _mm_add_epi32(zLow, zStep);
        zHigh = _mm_add_epi32(zHigh, zStep);
        for (int k = 0; k < 3; ++k)
            colour[k] = _mm_add_epi16(colour[k], _mm_load_si128(colourStep + k));
    }
    // The span from the first pixel not drawn yet, for the scalar way.
    KA3D_INLINE Span Rest(const Span& s) const {
        Span rest;
        rest.value[0] =
            static_cast<int32_t>(static_cast<uint32_t>(_mm_cvtsi128_si32(zLow)) + kDepthBias);
        for (int k = 0; k < 3; ++k) rest.value[k + 1] = _mm_cvtsi128_si32(colour[k]) & 0xFFFF;
        rest.step = s.step;
        return rest;
    }
};

// The depth test of eight pixels at z: the nearer depth of each lane stored, and the lanes
// that keep their colour (farther, or past the span's end where `past` is set) in *keep and
// as a byte mask (0xFFFF: every lane kept, nothing stored).
template <bool Tail>
KA3D_INLINE int TestDepth(uint16_t* z, __m128i depth, __m128i past, __m128i* keep) {
    const __m128i flip = _mm_set1_epi16(-0x8000);
    if (Tail) depth = _mm_max_epi16(depth, _mm_xor_si128(past, flip));  // past: the farthest
    const __m128i old = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(z)), flip);
    *keep = _mm_cmpgt_epi16(depth, old);
    if (Tail) *keep = _mm_or_si128(*keep, past);
    const int kept = _mm_movemask_epi8(*keep);
    if (kept != 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(z),
                         _mm_xor_si128(_mm_min_epi16(depth, old), flip));
    }
    return kept;
}

// A span in groups of eight pixels: whole groups, then the last few in a group of eight when
// it stays inside the clip rectangle, else the scalar way. Short spans too take a group of
// eight: one masked group costs less than a pixel loop whose end and depth test mispredict.
template <typename Group, typename Scalar, typename Pixel>
KA3D_INLINE void DrawGroups(const RasterTarget& t, const Setup& setup, int64_t y, int lo, int hi,
                            const Span& s, uint16_t* zrow, Pixel* crow) {
    EightLanes v(setup, s);
    int x = lo;
    for (; x + 7 <= hi; x += 8) {
        Group::template Eight<false>(zrow + x, crow + x, v, _mm_setzero_si128());
        v.Step();
    }
    if (x > hi) return;
    if (x + 8 <= t.clipX1) {
        Group::template Eight<true>(zrow + x, crow + x, v, LanesFrom(hi - x + 1));
    } else {
        Scalar::Draw(t, setup, y, x, hi, v.Rest(s));
    }
}

// Eight pixels at a time, for 16-bit formats with 5-bit red and blue and GBits of green, blue
// at bit 0 (5-6-5 and 5-5-5). Each colour channel steps in 16-bit lanes.
template <int GBits, typename PixelPacker>
struct Span16 {
    static constexpr int kBytes = 2;
    using Packer = PixelPacker;
    template <bool Tail>
    static KA3D_INLINE void Eight(uint16_t* z, uint16_t* c, const EightLanes& v, __m128i past) {
        __m128i keep;
        const int kept = TestDepth<Tail>(z, v.Depth(), past, &keep);
        if (kept == 0xFFFF) return;
        const __m128i redMask = _mm_set1_epi16(static_cast<short>(GBits == 6 ? 0xF800 : 0x7C00));
        const __m128i greenMask = _mm_set1_epi16(static_cast<short>(((1 << GBits) - 1) << 5));
        const __m128i red = GBits == 6 ? v.colour[0] : _mm_srli_epi16(v.colour[0], 1);
        __m128i pixel = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(red, redMask),
                         _mm_and_si128(_mm_srli_epi16(v.colour[1], 16 - 5 - GBits), greenMask)),
            _mm_srli_epi16(v.colour[2], 11));
        __m128i* out = reinterpret_cast<__m128i*>(c);
        if (kept != 0) pixel = Select(keep, _mm_loadu_si128(out), pixel);
        _mm_storeu_si128(out, pixel);
    }
    static KA3D_INLINE void Draw(const RasterTarget& t, const Setup& setup, int64_t y, int lo,
                                 int hi, const Span& s) {
        using Scalar = ScalarSpan<2, Packer>;
        uint16_t* zrow =
            reinterpret_cast<uint16_t*>(t.depth + static_cast<std::ptrdiff_t>(y) * t.depthPitch);
        uint16_t* crow =
            reinterpret_cast<uint16_t*>(t.color + static_cast<std::ptrdiff_t>(y) * t.colorPitch);
        DrawGroups<Span16, Scalar>(t, setup, y, lo, hi, s, zrow, crow);
    }
};

// Eight-bit channels in 32-bit pixels, red at bit 16, eight pixels at a time: the colour
// channels step in 16-bit lanes as in Span16, and their top bytes make the pixels.
struct Span32 {
    static constexpr int kBytes = 4;
    using Packer = FixedPacker<16, 8, 0>;
    template <bool Tail>
    static KA3D_INLINE void Eight(uint16_t* z, uint32_t* c, const EightLanes& v, __m128i past) {
        __m128i keep;
        const int kept = TestDepth<Tail>(z, v.Depth(), past, &keep);
        if (kept == 0xFFFF) return;
        const __m128i highByte = _mm_set1_epi16(static_cast<short>(0xFF00));
        const __m128i greenBlue =
            _mm_or_si128(_mm_and_si128(v.colour[1], highByte), _mm_srli_epi16(v.colour[2], 8));
        const __m128i red = _mm_srli_epi16(v.colour[0], 8);
        __m128i first = _mm_unpacklo_epi16(greenBlue, red);
        __m128i second = _mm_unpackhi_epi16(greenBlue, red);
        __m128i* out = reinterpret_cast<__m128i*>(c);
        if (kept != 0) {
            first = Select(_mm_unpacklo_epi16(keep, keep), _mm_loadu_si128(out), first);
            second = Select(_mm_unpackhi_epi16(keep, keep), _mm_loadu_si128(out + 1), second);
        }
        _mm_storeu_si128(out, first);
        _mm_storeu_si128(out + 1, second);
    }
    static KA3D_INLINE void Draw(const RasterTarget& t, const Setup& setup, int64_t y, int lo,
                                 int hi, const Span& s) {
        using Scalar = ScalarSpan<4, Packer>;
        uint16_t* zrow =
            reinterpret_cast<uint16_t*>(t.depth + static_cast<std::ptrdiff_t>(y) * t.depthPitch);
        uint32_t* crow =
            reinterpret_cast<uint32_t*>(t.color + static_cast<std::ptrdiff_t>(y) * t.colorPitch);
        DrawGroups<Span32, Scalar>(t, setup, y, lo, hi, s, zrow, crow);
    }
};
#endif

// Rows first..last, on which neither side changes its edge. Whether spans are range-checked
// is a template argument, so that the row loop carries no decisions and its values stay in
// registers.
template <typename Writer, bool Careful>
void DrawSegment(const RasterTarget& t, const Setup& s, EdgeWalk* leftWalk, EdgeWalk* rightWalk,
                 int64_t first, int64_t last) {
    EdgeWalk left = *leftWalk, right = *rightWalk;
    auto firstPixel = [&] { return static_cast<int>(std::max<int64_t>(left.Ceil(), t.clipX0)); };
    auto lastPixel = [&] {
        return static_cast<int>(std::min<int64_t>(right.Floor(), t.clipX1 - 1));
    };
    if (Careful) {
        for (int64_t y = first; y <= last; ++y) {
            const int lo = firstPixel(), hi = lastPixel();
            if (lo <= hi) {
                Span span;
                int32_t steps[4];
                CarefulSpanAt(s, y, lo, hi, &span, steps);
                ScalarSpan<Writer::kBytes, typename Writer::Packer>::Draw(t, s, y, lo, hi, span);
            }
            left.Next();
            right.Next();
        }
    } else {
        // A row's bounds and start values are worked out before the row above it is drawn:
        // their chain of dependent float operations then runs beside that row's pixels, and a
        // mispredicted branch among those pixels does not throw it away.
        int lo = firstPixel(), hi = lastPixel();
        Span span;
        SpanAt(s, first, lo, &span);
        for (int64_t y = first; y <= last; ++y) {
            const int rowLo = lo, rowHi = hi;
            const Span row = span;
            left.Next();
            right.Next();
            lo = firstPixel();
            hi = lastPixel();
            SpanAt(s, y + 1, lo, &span);  // past the last row: worked out, never used
            if (rowLo <= rowHi) Writer::Draw(t, s, y, rowLo, rowHi, row);
        }
    }
    *leftWalk = left;
    *rightWalk = right;
}

// The edge of a chain that bounds row y, and the first row of the edge after it.
int ActiveEdge(const Chain& c, int64_t y, int64_t* nextRow) {
    int e = 0;
    while (e + 1 < c.count && c.firstRow[e + 1] <= y) ++e;
    *nextRow = e + 1 < c.count ? c.firstRow[e + 1] : INT64_MAX;
    return e;
}

// The rows of the polygon, segment by segment: where an edge of either side ends, the next
// one takes over from that row on.
template <typename Writer, bool Careful>
void DrawChains(const RasterTarget& t, const Setup& s) {
    int64_t y = s.yStart, nextLeft, nextRight;
    int l = ActiveEdge(s.left, y, &nextLeft), r = ActiveEdge(s.right, y, &nextRight);
    EdgeWalk left = WalkFrom(s.left.edge[l], y), right = WalkFrom(s.right.edge[r], y);
    while (y <= s.yEnd) {
        const int64_t last = std::min({s.yEnd, nextLeft - 1, nextRight - 1});
        DrawSegment<Writer, Careful>(t, s, &left, &right, y, last);
        y = last + 1;
        if (y > s.yEnd) break;
        if (y >= nextLeft) {
            l = ActiveEdge(s.left, y, &nextLeft);
            left = WalkFrom(s.left.edge[l], y);
        }
        if (y >= nextRight) {
            r = ActiveEdge(s.right, y, &nextRight);
            right = WalkFrom(s.right.edge[r], y);
        }
    }
}

template <typename Writer>
void DrawRows(const RasterTarget& t, const Setup& s) {
    if (s.careful) {
        DrawChains<Writer, true>(t, s);
    } else {
        DrawChains<Writer, false>(t, s);
    }
}

using RowKernel = void (*)(const RasterTarget&, const Setup&);

template <int R, int G, int B>
using Fixed = FixedPacker<R, G, B>;

#if defined(__SSE2__)
using Span565 = Span16<6, Fixed<11, 5, 0>>;
using Span555 = Span16<5, Fixed<10, 5, 0>>;
using Span8888 = Span32;
#else
using Span565 = ScalarSpan<2, Fixed<11, 5, 0>>;
using Span555 = ScalarSpan<2, Fixed<10, 5, 0>>;
using Span8888 = ScalarSpan<4, Fixed<16, 8, 0>>;
#endif

const RowKernel kKernels[] = {
    DrawRows<ScalarSpan<2, MaskPacker>>,
    DrawRows<ScalarSpan<3, MaskPacker>>,
    DrawRows<ScalarSpan<4, MaskPacker>>,
    DrawRows<Span565>,
    DrawRows<Span555>,
    DrawRows<ScalarSpan<3, Fixed<16, 8, 0>>>,
    DrawRows<Span8888>,
};

// Index into kKernels for a target's format.
int KernelFor(int bytes, uint32_t r, uint32_t g, uint32_t b) {
    if (bytes == 2 && r == 0xF800 && g == 0x07E0 && b == 0x001F) return 3;
    if (bytes == 2 && r == 0x7C00 && g == 0x03E0 && b == 0x001F) return 4;
    if (bytes >= 3 && r == 0xFF0000 && g == 0x00FF00 && b == 0x0000FF) return bytes == 3 ? 5 : 6;
    return bytes - 2;
}

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

template <int Bytes>
void FillRect(const RasterTarget& t, uint32_t pixel) {
    const size_t width = static_cast<size_t>(t.clipX1 - t.clipX0);
    for (int y = t.clipY0; y < t.clipY1; ++y) {
        uint8_t* crow = t.color + static_cast<std::ptrdiff_t>(y) * t.colorPitch + t.clipX0 * Bytes;
        uint8_t* zrow = t.depth + static_cast<std::ptrdiff_t>(y) * t.depthPitch + t.clipX0 * 2;
        std::memset(zrow, 0xFF, width * 2);  // the far value 0xFFFF
        uint8_t bytes[4];
        std::memcpy(bytes, &pixel, 4);
        if (bytes[0] == bytes[1] &&
            (Bytes == 2 || (bytes[1] == bytes[2] && (Bytes == 3 || bytes[2] == bytes[3])))) {
            std::memset(crow, bytes[0], width * Bytes);  // black, white and other even greys
        } else {
            for (size_t x = 0; x < width; ++x) StorePixel<Bytes>(crow + x * Bytes, pixel);
        }
    }
}

}  // namespace

bool PrepareTarget(const RenderTarget& target, RasterTarget* out) {
    *out = RasterTarget{};
    int bytes = target.bitsPerPixel / 8;
    if (!target.color || !target.depth || target.width <= 0 || target.height <= 0) return false;
    if (target.width > kMaxTargetSize || target.height > kMaxTargetSize) return false;
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
        out->rightShift[c] = kColorFraction + 8 - used;
        out->leftShift[c] = LowestBit(masks[c]) + (bits - used);
    }
    out->kernel = KernelFor(bytes, target.redMask, target.greenMask, target.blueMask);
    return true;
}

uint32_t PackColor(const RasterTarget& t, int red, int green, int blue) {
    auto fixed = [](int v) {
        return static_cast<int32_t>(std::clamp(v, 0, 255)) << kColorFraction;
    };
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

namespace {

// Draws a convex polygon of three or four corners running clockwise on the screen; the
// depth and colour planes are taken from its first three corners, whose doubled area (in
// fixed point squared) is `area`.
void DrawConvex(const RasterTarget& t, const RasterVertex* const* v, int n, int64_t area) {
    const RasterVertex &v0 = *v[0], &v1 = *v[1], &v2 = *v[2];
    int64_t X[4], Y[4];
    for (int i = 0; i < n; ++i) {
        X[i] = v[i]->x;
        Y[i] = v[i]->y;
    }
    // Rows whose pixel centres lie within the polygon's vertical extent.
    Setup s;
    int top = 0, bottom = 0;
    for (int i = 1; i < n; ++i) {
        if (Y[i] < Y[top]) top = i;
        if (Y[i] >= Y[bottom]) bottom = i;
    }
    s.yStart = std::max<int64_t>(FloorDiv(Y[top] - kHalf + kSubPixel - 1, kSubPixel), t.clipY0);
    s.yEnd = std::min<int64_t>(FloorDiv(Y[bottom] - kHalf, kSubPixel), t.clipY1 - 1);
    if (s.yStart > s.yEnd) return;

    // Going on from the top corner, the clockwise edges run down the right side; going back
    // from it, they run up the left side. Horizontal edges bound only the rows.
    const int64_t unclippedStart = FloorDiv(Y[top] - kHalf + kSubPixel - 1, kSubPixel);
    auto add = [&](Chain* c, int i, int j, int64_t upperY) {
        Edge& e = c->edge[c->count];
        SetEdge(&e, X, Y, i, j);
        if (e.a == 0) {
            LimitRows(e, &s.yStart, &s.yEnd);
            return;
        }
        c->firstRow[c->count] =
            c->count == 0 ? unclippedStart : FloorDiv(upperY - kHalf + kSubPixel - 1, kSubPixel);
        ++c->count;
    };
    auto next = [n](int i) { return i + 1 == n ? 0 : i + 1; };  // no division per corner
    auto previous = [n](int i) { return i == 0 ? n - 1 : i - 1; };
    for (int i = top; i != bottom; i = next(i)) add(&s.right, i, next(i), Y[i]);
    for (int i = top; i != bottom; i = previous(i)) add(&s.left, previous(i), i, Y[i]);
    if (s.yStart > s.yEnd || s.left.count == 0 || s.right.count == 0) return;
    s.yRef = s.yStart;
    s.yStart = std::max<int64_t>(s.yStart, t.bandY0);
    s.yEnd = std::min<int64_t>(s.yEnd, t.bandY1 - 1);
    if (s.yStart > s.yEnd) return;

    // Depth and colour as planes over the screen, in pixel units, relative to pixel xRef of
    // the first row. Depth keeps a level of headroom at both ends and colours stay within
    // 0.5 .. 255.5, so that rounding in the span set-up never carries a value out of range.
    static constexpr float kLow[4] = {1.0f, 0.5f, 0.5f, 0.5f};
    static constexpr float kHigh[4] = {65534.0f, 255.5f, 255.5f, 255.5f};
    static constexpr float kMax[4] = {65535.0f, 255.99f, 255.99f, 255.99f};
    static constexpr float kScale[4] = {1 << kFraction, 1 << kColorFraction, 1 << kColorFraction,
                                        1 << kColorFraction};
    s.xRef = X[0] >> kSubPixelBits;
    const float x0 = X[0] / float(kSubPixel), y0 = Y[0] / float(kSubPixel);
    const float dx1 = (X[1] - X[0]) / float(kSubPixel), dy1 = (Y[1] - Y[0]) / float(kSubPixel);
    const float dx2 = (X[2] - X[0]) / float(kSubPixel), dy2 = (Y[2] - Y[0]) / float(kSubPixel);
    const float invDet = static_cast<float>(double(kSubPixel) * kSubPixel / area);
    const float offX = s.xRef + 0.5f - x0, offY = s.yRef + 0.5f - y0;
    // Steps so large that a value could leave the 32-bit range, or single precision err by a
    // level, within the polygon's own width or height (the farthest any drawn pixel lies from
    // the reference pixel): such slivers are set up again in double.
    int64_t xLo = X[0], xHi = X[0];
    for (int i = 1; i < n; ++i) {
        xLo = std::min(xLo, X[i]);
        xHi = std::max(xHi, X[i]);
    }
    const int64_t extent = std::max(xHi - xLo, Y[bottom] - Y[top]) / kSubPixel + 2;
    const float stepLimit = 1e9f / static_cast<float>(extent);
    const float values[3][4] = {
        {v0.z, v0.r, v0.g, v0.b}, {v1.z, v1.r, v1.g, v1.b}, {v2.z, v2.r, v2.g, v2.b}};
#if defined(__SSE2__)
    // The four planes side by side in the lanes of a vector: the very operations of the loop
    // below, lane by lane.
    {
        auto limit = [](const float* v) {  // as Limit: NaN becomes the low end
            return _mm_min_ps(_mm_max_ps(_mm_loadu_ps(v), _mm_loadu_ps(kLow)), _mm_loadu_ps(kHigh));
        };
        const __m128 scale = _mm_loadu_ps(kScale), inv = _mm_set1_ps(invDet);
        const __m128 c0 = limit(values[0]);
        const __m128 c1 = _mm_sub_ps(limit(values[1]), c0);
        const __m128 c2 = _mm_sub_ps(limit(values[2]), c0);
        const __m128 gx = _mm_mul_ps(
            _mm_sub_ps(_mm_mul_ps(c1, _mm_set1_ps(dy2)), _mm_mul_ps(c2, _mm_set1_ps(dy1))), inv);
        const __m128 gy = _mm_mul_ps(
            _mm_sub_ps(_mm_mul_ps(c2, _mm_set1_ps(dx1)), _mm_mul_ps(c1, _mm_set1_ps(dx2))), inv);
        const __m128 origin = _mm_add_ps(_mm_add_ps(c0, _mm_mul_ps(gx, _mm_set1_ps(offX))),
                                         _mm_mul_ps(gy, _mm_set1_ps(offY)));
        const __m128 dx = _mm_mul_ps(gx, scale), dy = _mm_mul_ps(gy, scale);
        _mm_store_ps(s.origin, _mm_mul_ps(origin, scale));
        _mm_store_ps(s.dx, dx);
        _mm_store_ps(s.dy, dy);
        _mm_store_ps(s.maxValue, _mm_mul_ps(_mm_loadu_ps(kMax), scale));
        const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
        const __m128 stepMax = _mm_set1_ps(stepLimit);
        const __m128 small = _mm_and_ps(_mm_cmplt_ps(_mm_and_ps(dx, magnitude), stepMax),
                                        _mm_cmplt_ps(_mm_and_ps(dy, magnitude), stepMax));
        s.careful = _mm_movemask_ps(small) != 0xF;
        _mm_store_si128(reinterpret_cast<__m128i*>(s.step),
                        s.careful ? _mm_setzero_si128() : _mm_cvttps_epi32(dx));
    }
#else
    s.careful = false;
    for (int k = 0; k < 4; ++k) {
        const float c0 = Limit(values[0][k], kLow[k], kHigh[k]);
        const float c1 = Limit(values[1][k], kLow[k], kHigh[k]) - c0;
        const float c2 = Limit(values[2][k], kLow[k], kHigh[k]) - c0;
        const float gx = (c1 * dy2 - c2 * dy1) * invDet, gy = (c2 * dx1 - c1 * dx2) * invDet;
        s.origin[k] = (c0 + gx * offX + gy * offY) * kScale[k];
        s.dx[k] = gx * kScale[k];
        s.dy[k] = gy * kScale[k];
        s.maxValue[k] = kMax[k] * kScale[k];
        s.careful |= !(std::fabs(s.dx[k]) < stepLimit && std::fabs(s.dy[k]) < stepLimit);
    }
    for (int k = 0; k < 4; ++k) s.step[k] = s.careful ? 0 : static_cast<int32_t>(s.dx[k]);
#endif
    if (s.careful) {
        const double px0 = X[0] / double(kSubPixel), py0 = Y[0] / double(kSubPixel);
        const double qx1 = (X[1] - X[0]) / double(kSubPixel),
                     qy1 = (Y[1] - Y[0]) / double(kSubPixel);
        const double qx2 = (X[2] - X[0]) / double(kSubPixel),
                     qy2 = (Y[2] - Y[0]) / double(kSubPixel);
        const double inv = double(kSubPixel) * double(kSubPixel) / static_cast<double>(area);
        for (int k = 0; k < 4; ++k) {
            const double c0 = Limit(values[0][k], kLow[k], kHigh[k]);
            const double c1 = Limit(values[1][k], kLow[k], kHigh[k]) - c0;
            const double c2 = Limit(values[2][k], kLow[k], kHigh[k]) - c0;
            const double gx = (c1 * qy2 - c2 * qy1) * inv, gy = (c2 * qx1 - c1 * qx2) * inv;
            s.exact[k][0] =
                (c0 + gx * (s.xRef + 0.5 - px0) + gy * (s.yRef + 0.5 - py0)) * kScale[k];
            s.exact[k][1] = gx * kScale[k];
            s.exact[k][2] = gy * kScale[k];
        }
    }
#if defined(__SSE2__)
    // Lane offsets i * step: depth in two vectors of 32-bit lanes, each colour in 16-bit lanes
    // (wrapping is harmless: every value that reaches a pixel is in range), then eight steps.
    __m128i* lanes = reinterpret_cast<__m128i*>(s.lanes);
    const int32_t d = s.step[0];
    // Multiples that wrap as the lanes do: a sliver's step times eight may not fit 32 bits,
    // and only lanes past the end of its short spans ever hold such values.
    auto times = [d](uint32_t k) { return static_cast<int32_t>(k * static_cast<uint32_t>(d)); };
    lanes[0] = _mm_setr_epi32(0, d, times(2), times(3));
    lanes[1] = _mm_add_epi32(lanes[0], _mm_set1_epi32(times(4)));
    lanes[8] = _mm_set1_epi32(times(8));
    const __m128i index = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    for (int k = 1; k < 4; ++k) {
        const short step = static_cast<short>(static_cast<uint16_t>(s.step[k]));
        lanes[k + 1] = _mm_mullo_epi16(index, _mm_set1_epi16(step));
        lanes[k + 4] = _mm_slli_epi16(_mm_set1_epi16(step), 3);
    }
#endif
    kKernels[t.kernel](t, s);
}

int64_t Cross(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
    return (int64_t(b.x) - a.x) * (int64_t(c.y) - a.y) -
           (int64_t(b.y) - a.y) * (int64_t(c.x) - a.x);
}

// Whether d's depth and colour lie on the plane through a, b and c: depth within a level,
// colours within a tenth.
bool OnPlane(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
             const RasterVertex& d, int64_t area, bool oneColour) {
    // d = a + u (b - a) + w (c - a) on the screen; the plane gives a + u (b - a) + w (c - a).
    // Everything is taken times the area, so that no division waits in the way.
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y;
    const double wx = double(c.x) - a.x, wy = double(c.y) - a.y;
    const double px = double(d.x) - a.x, py = double(d.y) - a.y;
    const double scale = double(area);
    const double u = px * wy - py * wx, w = ux * py - uy * px;  // times the area
    auto within = [&](float RasterVertex::*field, float limit) {
        const double predicted =
            a.*field * scale + u * (b.*field - a.*field) + w * (c.*field - a.*field);
        return std::fabs(predicted - d.*field * scale) < limit * scale;
    };
    return within(&RasterVertex::z, 1.0f) &&
           (oneColour || (within(&RasterVertex::r, 0.1f) && within(&RasterVertex::g, 0.1f) &&
                          within(&RasterVertex::b, 0.1f)));
}

}  // namespace

void DrawTriangle(const RasterTarget& t, const RasterVertex& v0, const RasterVertex& v1,
                  const RasterVertex& v2) {
    const int64_t area = Cross(v0, v1, v2);
    if (area <= 0) return;  // back face or no area
    const RasterVertex* v[3] = {&v0, &v1, &v2};
    DrawConvex(t, v, 3, area);
}

void DrawQuad(const RasterTarget& t, const RasterVertex& v0, const RasterVertex& v1,
              const RasterVertex& v2, const RasterVertex& v3) {
    // One polygon where the quad is convex on the screen and its depth and colours lie on one
    // plane (a flat-lit face); otherwise the two triangles it was made of.
    const int64_t area = Cross(v0, v1, v2);
    bool whole =
        area > 0 && Cross(v1, v2, v3) > 0 && Cross(v2, v3, v0) > 0 && Cross(v3, v0, v1) > 0;
    if (whole) {
        auto same = [](const RasterVertex& a, const RasterVertex& b) {
            return a.r == b.r && a.g == b.g && a.b == b.b;
        };
        const bool oneColour = same(v0, v1) && same(v0, v2) && same(v0, v3);
        whole = OnPlane(v0, v1, v2, v3, area, oneColour);
    }
    if (!whole) {
        DrawTriangle(t, v0, v1, v2);
        DrawTriangle(t, v0, v2, v3);
        return;
    }
    const RasterVertex* v[4] = {&v0, &v1, &v2, &v3};
    DrawConvex(t, v, 4, area);
}

}  // namespace ka3D
