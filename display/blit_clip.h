#pragma once
// Clipping of a sprite blit against the clip rectangle. The blitter the display uses does not
// clip, so every blit onto the back screen goes through this first.

namespace kaDraw {

struct BlitRect {
    int left;
    int top;
    int right;   // exclusive
    int bottom;  // exclusive
};

// Clips a copy of source rectangle src to destination (x, y) against clip, in this order:
// right edge, bottom edge, left edge, top edge. Moves x, y and src accordingly. Returns false
// when nothing is left to draw (right < left or bottom < top); a rectangle of zero width or
// height is still returned as drawable.
bool ClipBlit(int& x, int& y, BlitRect& src, const BlitRect& clip);

}  // namespace kaDraw
