// The received page and the headlines cut out of it; the host field of a source.
#include "news/headlines.h"

#include <cstring>

#include "common/sjis.h"
#include "news/sjis_text.h"

void BeginPage(PageReceive& r, char* page) {
    r.page = page;
    r.length = 0;
    r.idle = 0;
    page[0] = '\0';
}

bool AddChunk(PageReceive& r, const char* chunk, size_t n) {
    size_t add = n;
    // The page keeps its first kPageSize - 1 bytes; what does not fit is dropped.
    if (add > kPageSize - 1 - r.length) add = kPageSize - 1 - r.length;
    std::memcpy(r.page + r.length, chunk, add);
    r.length += add;
    r.page[r.length] = '\0';
    r.idle = 0;
    static const char kClose[] = "</html>";
    const size_t closeLength = sizeof kClose - 1;
    for (size_t i = 0; i + closeLength <= n; ++i) {
        if (std::memcmp(chunk + i, kClose, closeLength) == 0) return true;
    }
    return false;
}

bool AddIdlePoll(PageReceive& r) {
    return ++r.idle >= kIdlePolls;
}

int ExtractHeadlines(char* page, const char* ignore, const char* tag, const char* reject,
                     char (*headlines)[kHeadlineSize], int* count) {
    *count = 0;
    char* p = const_cast<char*>(FindWholeSjis(page, ignore));
    if (!p) return kNewsNoStartMarker;
    for (;;) {
        const char* found = FindWholeSjis(p, tag);
        if (!found) return kNewsOk;
        char* open = std::strchr(p + (found - p), '>');
        if (!open) return kNewsOk;
        if (open[1] == '<') {
            // The link text starts with another tag (an image link): no candidate here.
            p = open + 1;
            continue;
        }
        char* close = std::strchr(open + 1, '<');
        if (!close) return kNewsOk;
        *close = '\0';
        CopyBounded(headlines[*count], kHeadlineSize, open + 1);
        if (reject[0] == '\0' || !FindWholeSjis(open + 1, reject)) ++*count;
        if (*count >= kNewsSlots) return kNewsOk;
        p = close + 1;
    }
}

bool SplitHostPort(const char* field, char* host, size_t hostSize, unsigned short* port) {
    const char* colon = std::strchr(field, ':');
    size_t nameLength = colon ? static_cast<size_t>(colon - field) : std::strlen(field);
    if (nameLength == 0 || nameLength >= hostSize) return false;
    std::memcpy(host, field, nameLength);
    host[nameLength] = '\0';
    *port = kHttpPort;
    if (!colon) return true;
    const char* digits = colon + 1;
    long value = 0;
    if (*digits == '\0') return false;
    for (const char* d = digits; *d; ++d) {
        if (*d < '0' || *d > '9') return false;
        value = value * 10 + (*d - '0');
        if (value > 65535) return false;
    }
    if (value == 0) return false;
    *port = static_cast<unsigned short>(value);
    return true;
}
