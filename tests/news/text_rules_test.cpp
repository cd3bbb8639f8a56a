// The text rules of the headline extraction: markers and the reject text matched at whole
// Shift-JIS characters only, and an EUC-JP page whose stray bytes are mended.
#include <gtest/gtest.h>

#include <string>

#include "news/euc_to_sjis.h"
#include "news/headlines.h"

namespace {

char slots[kNewsSlots][kHeadlineSize];

// Narrow literals here are Shift-JIS: "転" is 0x93 0x5D, and 0x5D is "]".
TEST(TextRules, RejectBracketInsideAKanjiKeepsTheHeadline) {
    std::string page = "@S@<a ?a=1>運転再開</a>";
    int count = 0;
    EXPECT_EQ(ExtractHeadlines(&page[0], "@S@", "?a=", "]", slots, &count), kNewsOk);
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(slots[0], "運転再開");
}

TEST(TextRules, LinkMarkerFoundOnlyAcrossACharacterStartsNoCandidate) {
    std::string page = "@S@ 転>偽</a> <a x]>本物</a>";
    int count = 0;
    EXPECT_EQ(ExtractHeadlines(&page[0], "@S@", "]>", "", slots, &count), kNewsOk);
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(slots[0], "本物");
}

TEST(TextRules, EmptyRejectTextRejectsNothing) {
    std::string page = "<a ?a=1>one</a>";
    int count = 0;
    EXPECT_EQ(ExtractHeadlines(&page[0], "", "?a=", "", slots, &count), kNewsOk);
    EXPECT_EQ(count, 1);
}

TEST(EucToSjis, StrayByteBecomesAQuestionMarkAndConversionGoesOn) {
    char out[16];
    // 0x80, then "あい" in EUC-JP.
    EXPECT_EQ(EucToSjis("\x80\xA4\xA2\xA4\xA4", out, sizeof out), 6);
    EXPECT_STREQ(out, "?あい");
}

}  // namespace
