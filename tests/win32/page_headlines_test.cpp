// A received page to Shift-JIS headlines through the system's conversions. Narrow literals here
// are Shift-JIS; other pages are u8"" literals or bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "news/win32/page_headlines.h"

namespace {

struct Result {
    int code;
    std::vector<std::string> headlines;
};

// The headlines of a page, "]" the reject text.
Result Read(const std::string& page, const char* contentType) {
    static char slots[kNewsSlots][kHeadlineSize];
    NewsSource source = {};
    strcpy(source.reject, "]");
    int count = -1;
    Result r;
    r.code = PageHeadlines(page.data(), page.size(), contentType, source, slots, &count);
    for (int i = 0; i < count; ++i) r.headlines.push_back(slots[i]);
    return r;
}

std::string Utf16Le(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

// One row per feed kind and per charset, the charset named by a mark, the header or the document.
TEST(PageHeadlines, EachFeedKindAndCharsetGivesItsItemTitles) {
    const struct {
        const char* name;
        std::string page;
        const char* contentType;
        std::vector<std::string> headlines;
    } feeds[] = {
        {"RSS 2.0 in UTF-8 by the header, the reject text at whole characters",
         u8"<rss><item><title>運転再開</title></item><item><title>[PR]</title></item></rss>",
         "text/xml; charset=utf-8",
         {"運転再開"}},
        {"RSS 1.0 in Shift_JIS by its declaration alone",
         "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<rdf:RDF "
         "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
         "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>局</title></channel>"
         "<item><title>評価ソフト</title></item></rdf:RDF>",
         "text/xml",
         {"評価ソフト"}},
        {"Atom in UTF-16 by its mark over the header, html titles read",
         Utf16Le(u"\uFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>"
                 u"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>局</title>"
                 u"<entry><title type=\"html\">&lt;b&gt;大雨&lt;/b&gt;警報</title></entry>"
                 u"<entry><title>a &lt;b&gt;</title></entry></feed>"),
         "application/atom+xml; charset=utf-8",
         {"大雨警報", "a <b>"}},
        {"EUC-JP by the header alone",
         "<rss><channel><item><title>\xC2\xAE\xCA\xF3</title></item></channel></rss>",
         "text/xml; charset=EUC-JP",
         {"速報"}},
        {"ISO-2022-JP by its declaration without a header",
         "<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><rss><channel><item>"
         "<title>\x1B$BC\x4F\x3F\x4C\x1B(B M5</title></item></channel></rss>",
         "",
         {"地震 M5"}},
    };
    for (const auto& feed : feeds) {
        SCOPED_TRACE(feed.name);
        const Result r = Read(feed.page, feed.contentType);
        EXPECT_EQ(r.code, kNewsOk);
        EXPECT_EQ(r.headlines, feed.headlines);
    }
}

TEST(PageHeadlines, CharacterWithoutAShiftJisFormBecomesOneGeta) {
    const Result r =
        Read(u8"<rss><item><title>café 😀!</title></item></rss>", "text/xml; charset=utf-8");
    ASSERT_EQ(r.headlines.size(), 1u);
    EXPECT_EQ(r.headlines[0], "caf〓 〓!");
}

TEST(PageHeadlines, AFeedGivesAHundredTitlesAtMost) {
    std::string page = "<rss><channel>";
    for (int i = 0; i < 150; ++i) page += "<item><title>t</title></item>";
    const Result r = Read(page + "</channel></rss>", "");
    EXPECT_EQ(r.code, kNewsOk);
    EXPECT_EQ(r.headlines.size(), size_t(kNewsSlots));
}

}  // namespace
