// A received page to Shift-JIS headlines through the system's conversions: feeds in
// every charset and HTML pages. Narrow literals here are Shift-JIS
// (the expected headlines); pages are built from u8"" literals or bytes.
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

Result Read(const std::string& page, const char* contentType, const char* reject = "",
            const char* ignore = "", const char* tag = "") {
    static char slots[kNewsSlots][kHeadlineSize];
    NewsSource source = {};
    strcpy(source.reject, reject);
    strcpy(source.ignore, ignore);
    strcpy(source.tag, tag);
    int count = -1;
    Result r;
    r.code = PageHeadlines(page.data(), page.size(), contentType, source, slots, &count);
    for (int i = 0; i < count; ++i) r.headlines.push_back(slots[i]);
    return r;
}

TEST(PageHeadlines, RejectTextAppliesToFeedTitlesAtWholeCharacters) {
    const char* feed =
        u8"<rss><item><title>運転再開</title></item><item><title>[PR]</title></item>"
        u8"</rss>";
    const Result r = Read(feed, "text/xml; charset=utf-8", "]");
    ASSERT_EQ(r.headlines.size(), 1u);
    EXPECT_EQ(r.headlines[0], "運転再開");
}

TEST(PageHeadlines, Rss1InShiftJisNamedByItsDeclarationOnly) {
    // A narrow literal: the page itself is Shift-JIS.
    const std::string page =
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>局</title>"
        "</channel><item><title>評価ソフト</title></item></rdf:RDF>";
    const Result r = Read(page, "text/xml");
    EXPECT_EQ(r.code, kNewsOk);
    ASSERT_EQ(r.headlines.size(), 1u);
    EXPECT_EQ(r.headlines[0], "評価ソフト");
}

TEST(PageHeadlines, AtomInUtf16WithHtmlTitlesAndAHeaderThatSaysOtherwise) {
    const std::u16string atom =
        u"\uFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>"
        u"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>局</title>"
        u"<entry><title type=\"html\">&lt;b&gt;大雨&lt;/b&gt;警報</title>"
        u"</entry><entry><title>a &lt;b&gt;</title></entry></feed>";
    // Little-endian in memory, as the bytes of a UTF-16LE page.
    const std::string page(reinterpret_cast<const char*>(atom.data()), atom.size() * 2);
    const Result r = Read(page, "application/atom+xml; charset=utf-8");
    EXPECT_EQ(r.code, kNewsOk);
    ASSERT_EQ(r.headlines.size(), 2u);
    EXPECT_EQ(r.headlines[0], "大雨警報");
    EXPECT_EQ(r.headlines[1], "a <b>");
}

TEST(PageHeadlines, EucJpFeedFromTheHeaderAlone) {
    const std::string page =
        "<rss><channel><item><title>\xC2\xAE\xCA\xF3</title></item>"
        "</channel></rss>";
    const Result r = Read(page, "text/xml; charset=EUC-JP");
    ASSERT_EQ(r.headlines.size(), 1u);
    EXPECT_EQ(r.headlines[0], "速報");
}

TEST(PageHeadlines, Iso2022JpFeedFromItsDeclaration) {
    const std::string page =
        "<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><rss><channel><item>"
        "<title>\x1B$BC\x4F\x3F\x4C\x1B(B M5</title></item></channel></rss>";
    const Result r = Read(page, "");
    ASSERT_EQ(r.headlines.size(), 1u);
    EXPECT_EQ(r.headlines[0], "地震 M5");
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

TEST(PageHeadlines, Utf8HtmlPageNamedByItsMetaUsesTheMarkers) {
    const std::string page =
        u8"<html><head><meta charset=\"utf-8\"></head><body>"
        u8"<a href=\"/n?a=1\">前</a>★ここから<a href=\"/n?a=2\">運転再開</a>"
        u8"<a href=\"/n?a=3\">[PR]広告</a></body></html>";
    const Result r = Read(page, "text/html", "]", "★ここから", "?a=");
    EXPECT_EQ(r.code, kNewsOk);
    ASSERT_EQ(r.headlines.size(), 1u);
    EXPECT_EQ(r.headlines[0], "運転再開");
}

}  // namespace
