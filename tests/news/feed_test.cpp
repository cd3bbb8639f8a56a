// The portable half of feeds: the item titles of a feed, and a title made one line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "news/feed.h"

namespace {

struct Title {
    std::u16string text;
    bool html;
};

// The titles ReadFeedTitles passes; *read gets its result.
std::vector<Title> Titles(const std::u16string& text, bool* read = nullptr) {
    std::vector<Title> titles;
    const bool ok = ReadFeedTitles(text.data(), text.size(), [&](const std::u16string& t, bool h) {
        titles.push_back({t, h});
        return true;
    });
    if (read) *read = ok;
    return titles;
}

TEST(ReadFeedTitles, ItemTitlesInOrderNotTheChannelsOrTheImages) {
    const auto t = Titles(
        u"<rss><channel><title>局</title><image><title>絵</title></image>"
        u"<item><title>一</title></item><item><title>二</title></item>"
        u"</channel></rss>");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, u"一");
    EXPECT_EQ(t[1].text, u"二");
    EXPECT_TRUE(t[0].html);
}

TEST(ReadFeedTitles, CdataAsWrittenReferencesReadAndInnerElementsText) {
    const auto t = Titles(
        u"<rdf:RDF><rss:item><rss:title>a&amp;b<![CDATA[ &amp; ]]>"
        u"<!-- c --><i>&#x3042;</i></rss:title></rss:item></rdf:RDF>");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, u"a&b &amp; あ");
}

TEST(ReadFeedTitles, DocumentTypeDeclarationIsRefused) {
    bool read = true;
    const auto t = Titles(
        u"<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"b\">]>"
        u"<rss><item><title>&a;</title></item></rss>",
        &read);
    EXPECT_FALSE(read);
    EXPECT_EQ(t.size(), 0u);
}

TEST(CleanFeedTitle, WhiteSpaceRunsBecomeOneSpaceAndEndsAreTrimmed) {
    EXPECT_EQ(CleanFeedTitle(u"\n  速報\t\r\n 地震  ", false), u"速報 地震");
}

TEST(CleanFeedTitle, ControlCharactersAreDropped) {
    EXPECT_EQ(CleanFeedTitle(u"a\u0001b\u007F\u0085c", false), u"abc");
}

}  // namespace
