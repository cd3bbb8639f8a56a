#include "news/win32/page_headlines.h"

#include <string>

#include "news/charset.h"
#include "news/feed.h"
#include "news/sjis_text.h"
#include "news/win32/page_text.h"
#include "common/sjis.h"

namespace {

// The feed's item titles, each made one line and converted, into the headline slots; an empty
// one, or one holding the reject text, is passed over.
int FeedHeadlines(const std::u16string& text, const char* reject, char (*headlines)[kHeadlineSize],
                  int* count) {
    const auto keep = [&](const std::u16string& title, bool html) {
        const std::string sjis = Utf16ToSjis(CleanFeedTitle(title, html));
        if (sjis.empty()) return true;
        if (reject[0] != '\0' && FindWholeSjis(sjis.c_str(), reject)) return true;
        CopyBounded(headlines[*count], kHeadlineSize, sjis.c_str());
        return ++*count < kNewsSlots;
    };
    return ReadFeedTitles(text.data(), text.size(), keep) ? kNewsOk : kNewsNoStartMarker;
}

}  // namespace

int PageHeadlines(const char* page, size_t length, const char* contentType,
                  const NewsSource& source, char (*headlines)[kHeadlineSize], int* count) {
    *count = 0;
    const PageEncoding encoding = DetectCharset(page, length, contentType ? contentType : "");
    const std::u16string text =
        PageToUtf16(page + encoding.bomLength, length - encoding.bomLength, encoding.charset);
    // A feed is known by its root element, whatever the server calls its content.
    if (IsFeedDocument(text.data(), text.size()))
        return FeedHeadlines(text, source.reject, headlines, count);
    std::string sjis = Utf16ToSjis(text);
    return ExtractHeadlines(&sjis[0], source.ignore, source.tag, source.reject, headlines, count);
}
