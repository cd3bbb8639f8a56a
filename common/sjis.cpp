// Shift-JIS character rules and the bounded copies every fixed text buffer goes through.
#include "common/sjis.h"

bool IsSjisLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

size_t AppendBounded(char* dst, size_t capacity, size_t length, const char* src) {
    if (capacity == 0) return 0;
    for (size_t i = 0; src[i] != '\0';) {
        const bool pair = IsSjisLeadByte(static_cast<uint8_t>(src[i])) && src[i + 1] != '\0';
        const size_t width = pair ? 2 : 1;
        if (length + width > capacity - 1) break;
        for (size_t k = 0; k < width; ++k) dst[length++] = src[i + k];
        i += width;
    }
    dst[length] = '\0';
    return length;
}

size_t CopyBounded(char* dst, size_t capacity, const char* src) {
    return AppendBounded(dst, capacity, 0, src);
}

void TrimPartialSjis(char* text) {
    char* p = text;
    while (*p) {
        if (IsSjisLeadByte(static_cast<uint8_t>(*p))) {
            if (p[1] == '\0') {
                *p = '\0';
                return;
            }
            p += 2;
        } else {
            ++p;
        }
    }
}
