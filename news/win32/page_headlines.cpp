// The page read as EUC-JP and cut into headlines at its link markers.
#include "news/win32/page_headlines.h"

#include <cstring>
#include <new>

#include "news/euc_to_sjis.h"

int PageHeadlines(const char* page, size_t length, const char* /*contentType*/,
                  const NewsSource& source, char (*headlines)[kHeadlineSize], int* count) {
    *count = 0;
    if (length > kPageSize - 1) length = kPageSize - 1;
    // A copy of its own, NUL-terminated: the converter and the cutter work in place.
    char* text = new (std::nothrow) char[length + 1];
    if (!text) return kNewsNoStartMarker;
    std::memcpy(text, page, length);
    text[length] = '\0';
    EucToSjis(text, text, length + 1);
    const int result =
        ExtractHeadlines(text, source.ignore, source.tag, source.reject, headlines, count);
    delete[] text;
    return result;
}
