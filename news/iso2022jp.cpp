#include "news/iso2022jp.h"

#include <cstring>

#include "news/euc_to_sjis.h"

namespace {

enum Mode { kAscii, kJisX0208, kJisX0212, kKatakana };

bool IsJisByte(unsigned char c) {
    return c >= 0x21 && c <= 0x7E;
}

// The mode an escape sequence at s (n bytes left, s[0] is ESC) selects, and its length; 0 when
// it is none known here.
size_t ReadEscape(const unsigned char* s, size_t n, Mode* mode) {
    static const struct {
        const char* bytes;
        Mode mode;
    } escapes[] = {
        {"\x1B(B", kAscii},    {"\x1B(J", kAscii},     {"\x1B$@", kJisX0208},
        {"\x1B$B", kJisX0208}, {"\x1B$(D", kJisX0212}, {"\x1B(I", kKatakana},
    };
    for (const auto& e : escapes) {
        const size_t len = std::strlen(e.bytes);
        if (n >= len && std::memcmp(s, e.bytes, len) == 0) {
            *mode = e.mode;
            return len;
        }
    }
    return 0;
}

}  // namespace

size_t Iso2022JpToSjis(const char* src, size_t length, char* dst) {
    const unsigned char* in = reinterpret_cast<const unsigned char*>(src);
    unsigned char* out = reinterpret_cast<unsigned char*>(dst);
    Mode mode = kAscii;
    Mode shifted = kAscii;  // the mode SI returns to
    size_t i = 0, o = 0;
    while (i < length) {
        const unsigned char c = in[i];
        const size_t left = length - i;
        if (c == 0x1B) {
            const size_t len = ReadEscape(in + i, left, &mode);
            if (len > 0) {
                i += len;
                continue;
            }
        } else if (c == 0x0E) {  // SO: half-width katakana until SI
            shifted = mode;
            mode = kKatakana;
            ++i;
            continue;
        } else if (c == 0x0F) {  // SI
            mode = shifted;
            ++i;
            continue;
        } else if (c == '\r' || c == '\n') {
            out[o++] = c;
            ++i;
            continue;
        } else if (mode == kAscii && c != 0 && c < 0x80) {
            out[o++] = c;
            ++i;
            continue;
        } else if (mode == kKatakana && c >= 0x21 && c <= 0x5F) {
            out[o++] = static_cast<unsigned char>(c + 0x80);
            ++i;
            continue;
        } else if (mode != kAscii && mode != kKatakana && left >= 2 && IsJisByte(c) &&
                   IsJisByte(in[i + 1])) {
            if (mode == kJisX0212) {
                static const char geta[] = "〓";  // no Shift-JIS form
                out[o++] = static_cast<unsigned char>(geta[0]);
                out[o++] = static_cast<unsigned char>(geta[1]);
            } else {
                const unsigned s = JisToSjis(c - 0x20, in[i + 1] - 0x20);
                out[o++] = static_cast<unsigned char>(s >> 8);
                out[o++] = static_cast<unsigned char>(s);
            }
            i += 2;
            continue;
        }
        out[o++] = '?';
        ++i;
    }
    out[o] = '\0';
    return o;
}
