// libFuzzer target over the receive of a page and the headline extraction: the input is cut into
// markers and received chunks; the page must stay within its buffer and terminated, and every
// kept headline within its slot, terminated and free of the reject marker at whole characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "news/euc_to_sjis.h"
#include "news/headlines.h"
#include "news/sjis_text.h"

namespace {

// The next piece of the input up to a 0xFF byte (or the end), at most max bytes, NUL-terminated.
void Take(const uint8_t*& data, size_t& size, char* out, size_t max) {
    size_t n = 0;
    while (size > 0 && *data != 0xFF) {
        if (n < max) out[n++] = static_cast<char>(*data);
        ++data;
        --size;
    }
    if (size > 0) {
        ++data;
        --size;
    }
    out[n] = '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char ignore[256], tag[256], reject[256];
    Take(data, size, ignore, 255);
    Take(data, size, tag, 255);
    Take(data, size, reject, 255);
    static char page[kPageSize];
    PageReceive r;
    BeginPage(r, page);
    // The rest arrives in chunks whose sizes the input's bytes choose; repeated so that a short
    // input can also fill the page.
    char chunk[kChunkSize + 1];
    size_t at = 0;
    for (int round = 0; round < 40 && size > 0; ++round) {
        const size_t n = (data[at % size] * 37u + round) % kChunkSize + 1;
        for (size_t i = 0; i < n; ++i) chunk[i] = static_cast<char>(data[(at + i) % size]);
        at += n;
        if (AddChunk(r, chunk, n)) break;
    }
    if (r.length > kPageSize - 1 || page[r.length] != '\0') std::abort();
    EucToSjis(page, page, kPageSize);
    static char slots[kNewsSlots][kHeadlineSize];
    int count = -1;
    const int result = ExtractHeadlines(page, ignore, tag, reject, slots, &count);
    if (result != kNewsOk && result != kNewsNoStartMarker) std::abort();
    if (count < 0 || count > kNewsSlots || (result != kNewsOk && count != 0)) std::abort();
    for (int i = 0; i < count; ++i) {
        if (std::memchr(slots[i], '\0', kHeadlineSize) == nullptr) std::abort();
        if (reject[0] != '\0' && FindWholeSjis(slots[i], reject)) std::abort();
    }
    return 0;
}
