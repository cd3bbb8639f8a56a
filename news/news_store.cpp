// The headlines kept for each news source.
#include "news/news_store.h"

#include <cstring>

#include "common/sjis.h"

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
    // A lone lead byte at the end is left out.
    CopyBounded(dst, kHeadlineSize, NewsHeadlines[source][slot]);
    TrimPartialSjis(dst);
}
