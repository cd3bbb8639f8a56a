// libFuzzer target over the feed reading: the input's bytes, in pairs, as UTF-16 text. Telling
// a feed and walking its titles must stay within the text, and every title made one line must
// hold no control character, no space at either end and no two spaces in a row.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "news/feed.h"

namespace {

void CheckOneLine(const std::u16string& line) {
    if (!line.empty() && (line.front() == u' ' || line.back() == u' ')) std::abort();
    for (size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) std::abort();
        if (c == u' ' && i + 1 < line.size() && line[i + 1] == u' ') std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t length = size / 2;
    std::unique_ptr<char16_t[]> text(new char16_t[length ? length : 1]);
    std::memcpy(text.get(), data, length * 2);
    IsFeedDocument(text.get(), length);
    int titles = 0;
    ReadFeedTitles(text.get(), length, [&](const std::u16string& title, bool html) {
        CheckOneLine(CleanFeedTitle(title, html));
        CheckOneLine(CleanFeedTitle(title, !html));
        return ++titles < 100;
    });
    if (titles > 100) std::abort();
    return 0;
}
