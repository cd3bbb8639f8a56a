// EUC-JP to Shift-JIS, in place.
#include "news/euc_to_sjis.h"

namespace {

bool InGr(unsigned char c) {
    return c >= 0xA1 && c <= 0xFE;
}

}  // namespace

unsigned JisToSjis(int row, int cell) {
    // Two rows share one lead byte: odd rows take the trail bytes 0x40..0x9E (0x7F skipped),
    // even rows 0x9F..0xFC. Leads run 0x81..0x9F, then continue at 0xE0.
    const unsigned lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
    unsigned trail;
    if (row % 2 == 1) {
        trail = cell + (cell <= 63 ? 0x3F : 0x40);
    } else {
        trail = cell + 0x9E;
    }
    return lead << 8 | trail;
}

int EucToSjis(const char* src, char* dst, size_t capacity) {
    if (!src) return kEucNullSource;
    if (!dst) return kEucNullDestination;
    if (capacity > 0x7FFFFFFFu) return kEucBadCapacity;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(src);
    unsigned char* out = reinterpret_cast<unsigned char*>(dst);
    size_t i = 0, o = 0;
    for (;;) {
        const unsigned char c = in[i];
        unsigned char bytes[2];
        int n;
        if (c == 0) {
            if (o >= capacity) return kEucNoRoom;
            out[o] = 0;
            return static_cast<int>(o + 1);
        } else if (c < 0x80) {
            bytes[0] = c;
            n = 1;
            i += 1;
        } else if (c == 0x8E && in[i + 1] >= 0xA1 && in[i + 1] <= 0xDF) {
            bytes[0] = in[i + 1];
            n = 1;
            i += 2;
        } else if (c == 0x8F && InGr(in[i + 1]) && InGr(in[i + 2])) {
            // The third byte is read only when the second is no terminator.
            bytes[0] = 0x81;
            bytes[1] = 0x40;
            n = 2;
            i += 3;
        } else if (InGr(c) && InGr(in[i + 1])) {
            const unsigned s = JisToSjis(c - 0xA0, in[i + 1] - 0xA0);
            bytes[0] = static_cast<unsigned char>(s >> 8);
            bytes[1] = static_cast<unsigned char>(s);
            n = 2;
            i += 2;
        } else {
            // A byte that starts no character here (a stray byte, or a character cut by the end
            // of the page): one "?" for it, and the next byte is read afresh.
            bytes[0] = '?';
            n = 1;
            i += 1;
        }
        if (capacity - o < static_cast<size_t>(n)) return kEucNoRoom;
        // Writing never overtakes reading: every input character is at least as long as its
        // output, so in-place use only overwrites bytes already read.
        for (int k = 0; k < n; ++k) out[o++] = bytes[k];
    }
}
