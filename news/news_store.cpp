#include "news/news_store.h"

#include <cstring>

char NewsHeadlines[kNewsSources][kNewsSlots][kHeadlineSize];
int NewsCount[kNewsSources];

void ResetNewsStore() {
    std::memset(NewsHeadlines, 0, sizeof NewsHeadlines);
    for (int& n : NewsCount) n = 0;
}

void CopyHeadline(char* dst, int source, int slot) {
    if (source < 0 || source >= kNewsSources || slot < 0 || slot >= kNewsSlots) {
        dst[0] = '\0';
        return;
    }
    const char* src = NewsHeadlines[source][slot];
    size_t n = 0;
    while (n < kHeadlineSize - 1 && src[n] != '\0') {
        const unsigned char c = static_cast<unsigned char>(src[n]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        // A lead byte whose trail would not fit (or is missing) is left out with it.
        if (lead && (n + 2 > kHeadlineSize - 1 || src[n + 1] == '\0')) break;
        n += lead ? 2 : 1;
    }
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}
