#include "news/sjis_text.h"

#include <cstring>

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

const char* FindWholeSjis(const char* text, const char* needle) {
    const size_t n = std::strlen(needle);
    for (const char* p = text;; ++p) {
        if (std::strncmp(p, needle, n) == 0) return p;
        if (*p == '\0') return nullptr;
        // A lead byte with its second byte is one character; a lone lead byte at the end is one.
        if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ++p;
    }
}
