// Searches in Shift-JIS text that match only at whole characters.
#include "news/sjis_text.h"

#include <cstring>

#include "common/sjis.h"

const char* FindWholeSjis(const char* text, const char* needle) {
    const size_t n = std::strlen(needle);
    for (const char* p = text;; ++p) {
        if (std::strncmp(p, needle, n) == 0) return p;
        if (*p == '\0') return nullptr;
        // A lead byte with its second byte is one character; a lone lead byte at the end is one.
        if (IsSjisLeadByte(static_cast<uint8_t>(*p)) && p[1] != '\0') ++p;
    }
}
