#include "display/cover_layout.h"

namespace {

bool Empty(const ScreenRect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

int Max(int a, int b) {
    return a > b ? a : b;
}

int Min(int a, int b) {
    return a < b ? a : b;
}

// Appends r unless it is empty or the table is full.
void Add(const ScreenRect& r, ScreenRect* covers, int& n) {
    if (!Empty(r) && n < kMaxCovers) covers[n++] = r;
}

// The parts of m outside s: the band above s and the band below it across m's whole width, then
// the bands left and right of s between them.
void Subtract(const ScreenRect& m, const ScreenRect& s, ScreenRect* covers, int& n) {
    const ScreenRect overlap = {Max(m.left, s.left), Max(m.top, s.top), Min(m.right, s.right),
                                Min(m.bottom, s.bottom)};
    if (Empty(overlap)) {
        Add(m, covers, n);
        return;
    }
    Add({m.left, m.top, m.right, overlap.top}, covers, n);
    Add({m.left, overlap.bottom, m.right, m.bottom}, covers, n);
    Add({m.left, overlap.top, overlap.left, overlap.bottom}, covers, n);
    Add({overlap.right, overlap.top, m.right, overlap.bottom}, covers, n);
}

}  // namespace

int LayOutCovers(const ScreenRect* monitors, int count, const ScreenRect& saver,
                 ScreenRect* covers) {
    int n = 0;
    for (int i = 0; monitors && i < count; ++i) {
        if (Empty(monitors[i])) continue;
        if (Empty(saver)) {
            Add(monitors[i], covers, n);
        } else {
            Subtract(monitors[i], saver, covers, n);
        }
    }
    return n;
}
