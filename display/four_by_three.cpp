#include "display/four_by_three.h"

HorizontalSpan FourByThreeArea(int w, int h) {
    const long long areaWidth = static_cast<long long>(h) * 4 / 3;
    if (h <= 0 || areaWidth >= w) return HorizontalSpan{0, w};
    const int width = static_cast<int>(areaWidth);
    return HorizontalSpan{(w - width) / 2, width};
}
