// Clipping of sprite copies to the display's clip rectangle.
#include "display/blit_clip.h"

namespace kaDraw {

bool ClipBlit(int& x, int& y, BlitRect& src, const BlitRect& clip) {
    if (x + (src.right - src.left) > clip.right) src.right = clip.right - x + src.left;
    if (y + (src.bottom - src.top) > clip.bottom) src.bottom = clip.bottom - y + src.top;
    if (x < clip.left) {
        src.left += clip.left - x;
        x = clip.left;
    }
    if (y < clip.top) {
        src.top += clip.top - y;
        y = clip.top;
    }
    return !(src.right < src.left || src.bottom < src.top);
}

}  // namespace kaDraw
