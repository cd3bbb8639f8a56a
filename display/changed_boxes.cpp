#include "display/changed_boxes.h"

#include <cstring>

namespace kaDraw {

namespace {

// First and last differing byte of two rows of n bytes; false when the rows are equal.
bool DifferingBytes(const uint8_t* a, const uint8_t* b, int n, int& first, int& last) {
    if (std::memcmp(a, b, static_cast<size_t>(n)) == 0) return false;
    first = 0;
    while (a[first] == b[first]) ++first;
    last = n - 1;
    while (a[last] == b[last]) --last;
    return true;
}

}  // namespace

int FindChangedBoxes(PixelRows picture, PixelRows shown, int width, int height, int bytesPerPixel,
                     BlitRect* boxes) {
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return 0;
    const int rowBytes = width * bytesPerPixel;
    int count = 0;
    for (int bandTop = 0; bandTop < height; bandTop += kChangeBandRows) {
        const int bandBottom =
            bandTop + kChangeBandRows < height ? bandTop + kChangeBandRows : height;
        BlitRect box = {width, -1, -1, -1};
        for (int y = bandTop; y < bandBottom; ++y) {
            int first = 0;
            int last = 0;
            if (!DifferingBytes(picture.first + y * picture.pitch, shown.first + y * shown.pitch,
                                rowBytes, first, last)) {
                continue;
            }
            if (box.top < 0) box.top = y;
            box.bottom = y + 1;
            if (first / bytesPerPixel < box.left) box.left = first / bytesPerPixel;
            if (last / bytesPerPixel + 1 > box.right) box.right = last / bytesPerPixel + 1;
        }
        if (box.top < 0) continue;
        const int offset = box.left * bytesPerPixel;
        const size_t bytes = static_cast<size_t>((box.right - box.left) * bytesPerPixel);
        for (int y = box.top; y < box.bottom; ++y) {
            std::memcpy(shown.first + y * shown.pitch + offset,
                        picture.first + y * picture.pitch + offset, bytes);
        }
        boxes[count++] = box;
    }
    return count;
}

}  // namespace kaDraw
