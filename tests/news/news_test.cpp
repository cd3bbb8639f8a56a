// The portable half of the news fetch: the EUC-JP converter (checked against glibc's iconv),
// the receive of a page into its bounded buffer, the headline extraction and the host field.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <string>
#include <vector>

#include "news/euc_to_sjis.h"
#include "news/headlines.h"

namespace {

// Every two-byte JIS X 0208 code, rows and cells 1..94, converted alone and compared with an
// independent converter wherever that one knows the character.
TEST(EucToSjis, EveryJisX0208CodeAgreesWithIconv) {
    for (const char* target : {"SHIFT_JIS", "CP932"}) {
        iconv_t cd = iconv_open(target, "EUC-JP");
        ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << target;
        int compared = 0;
        for (int code = 0; code < 94 * 94; ++code) {
            char in[3] = {char(code / 94 + 0xA1), char(code % 94 + 0xA1), 0}, theirs[8], ours[3];
            char *ip = in, *op = theirs;
            size_t il = 2, ol = sizeof theirs;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1)) continue;
            ASSERT_EQ(EucToSjis(in, ours, sizeof ours), 3) << code;
            EXPECT_EQ(std::string(ours, 2), std::string(theirs, op - theirs)) << target << code;
            ++compared;
        }
        iconv_close(cd);
        EXPECT_GE(compared, 6879) << target;  // the characters JIS X 0208 defines
    }
}

TEST(EucToSjis, SingleBytesKatakanaSupplementaryAndErrorsWithoutATerminator) {
    const std::string ascii = "<a href=\"x\">plain ASCII ~\\ 0-9</a>\n\t",
                      in = ascii +
                           "\x8E\xA1\x8E\xDF"
                           "\x8F\xA1\xFE"
                           "\xA4\xCB";  // half-width katakana, JIS X 0212, "に"
    char out[64];
    EXPECT_GT(EucToSjis(in.c_str(), out, sizeof out), 0);
    EXPECT_EQ(std::string(out), ascii +
                                    "\xA1\xDF"
                                    "\x81\x40"
                                    "\x82\xC9");
    std::strcpy(out, in.c_str());  // in place: the same
    EXPECT_GT(EucToSjis(out, out, sizeof out), 0);
    EXPECT_EQ(std::string(out), ascii +
                                    "\xA1\xDF"
                                    "\x81\x40"
                                    "\x82\xC9");
    const struct {
        const char* in;
        size_t capacity;
        int result;
        size_t written;  // bytes of output before the error
    } cases[] = {{"ab\x80x", 16, kEucBadSequence, 2},
                 {"\x8D\xA1", 16, kEucBadSequence, 0},
                 {"\xA0\xA1", 16, kEucBadSequence, 0},
                 {"a\x8E\xE0", 16, kEucBadSequence, 1},
                 {"\x8E", 16, kEucBadSequence, 0},
                 {"\x8F\xA1", 16, kEucBadSequence, 0},
                 {"\x8F\xA1\x41", 16, kEucBadSequence, 0},
                 {"\xB0\x41", 16, kEucBadSequence, 0},
                 {"\xB0", 16, kEucBadSequence, 0},
                 {"abc", 3, kEucNoRoom, 3},
                 {"a\xB0\xA1", 2, kEucNoRoom, 1},
                 {"", 0, kEucNoRoom, 0},
                 {"", 1, 1, 1}};
    for (const auto& c : cases) {
        std::memset(out, '#', 16);
        EXPECT_EQ(EucToSjis(c.in, out, c.capacity), c.result) << c.in;
        EXPECT_EQ(std::string(out + c.written, 16 - c.written), std::string(16 - c.written, '#'))
            << c.in;
    }
    EXPECT_EQ(EucToSjis(nullptr, out, 4), kEucNullSource);
    EXPECT_EQ(EucToSjis("x", nullptr, 4), kEucNullDestination);
    EXPECT_EQ(EucToSjis("x", out, size_t{0x80000000u}), kEucBadCapacity);
}

TEST(PageReceive, ChunksAppendAsStringsUpToTheBufferAndTheClosingTagEndsIt) {
    std::vector<char> page(kPageSize + 1, 'Z');
    PageReceive r;
    BeginPage(r, page.data());
    char chunk[kChunkSize + 1] = {};
    for (const char* part : {"ab\0cd", "</ht", "ml>"})  // a NUL ends what is appended; a tag
        EXPECT_FALSE(AddChunk(r, std::strcpy(chunk, part), 5));  // split over two is not seen
    EXPECT_STREQ(page.data(), "ab</html>");
    std::memset(chunk, 'x', kChunkSize);
    for (int i = 0; i < 30; ++i) EXPECT_FALSE(AddChunk(r, chunk, kChunkSize));  // 120 KB
    EXPECT_TRUE(r.length == kPageSize - 1 && page[kPageSize - 1] == '\0' && page[kPageSize] == 'Z');
    EXPECT_TRUE(AddChunk(r, std::strcpy(chunk, "</html>"), 7));  // dropped, but it ends the page
    for (int i = 1; i < kIdlePolls; ++i) EXPECT_FALSE(AddIdlePoll(r));
    EXPECT_TRUE(AddIdlePoll(r));
    AddChunk(r, chunk, 1);  // data reset the count
    EXPECT_FALSE(AddIdlePoll(r));
}

TEST(Extract, KeepsTheLinkTextsAfterTheStartMarkerUpToAHundred) {
    const struct {
        const char *page, *ignore, *reject;
        int result;
        const char* kept;  // joined by "|"
    } cases[] = {
        {"<a href=/n?a=1>one</a><!-- S --><a href=/n?a=2>two</a><a href=/x>x</a>"
         "<a href=/n?a=3>three [PR]</a><a href=/n?a=4>four</a>",
         "<!-- S -->", "]", 0, "two|four"},
        {"<a href=/n?a=1>one</a>", "<!-- S -->", "]", kNewsNoStartMarker, ""},
        {"<a href=/n?a=1>one</a>", "", "", 0, ""},  // an empty reject word rejects all
        {"<a href=/n?a=1><img src=p.gif></a><a href=/n?a=2> two\n</a>", "", "]", 0, " two\n"},
        {"<a href=/n?a=1>one", "", "]", 0, ""},  // no closing "<"
        {"<a href=/n?a=1", "", "]", 0, ""},
        {"&amp;<a href=/n?a=1>a &amp; b</a>", "&amp;", "]", 0, "a &amp; b"}};
    static char slots[kNewsSlots][kHeadlineSize];
    int count = 0;
    for (const auto& c : cases) {
        std::string page = c.page, kept;
        EXPECT_EQ(ExtractHeadlines(&page[0], c.ignore, "/n?a=", c.reject, slots, &count), c.result);
        for (int i = 0; i < count; ++i) kept += (i ? "|" : "") + std::string(slots[i]);
        EXPECT_EQ(kept, c.kept) << c.page;
    }
    // 198 single bytes then a two-byte character that would end at byte 200: left out. The
    // reject word counts in the whole text, beyond the cut too.
    std::string page = "<a href=/n?a=1>" + std::string(198, 'x') + "\x88\x9Fyy</a>" +
                       "<a href=/n?a=2>" + std::string(250, 'r') + "]</a>";
    for (int i = 0; i < 150; ++i) page += "<a href=/n?a=" + std::to_string(i) + ">h</a>";
    EXPECT_EQ(ExtractHeadlines(&page[0], "", "/n?a=", "]", slots, &count), 0);
    EXPECT_EQ(count, kNewsSlots);
    EXPECT_EQ(std::string(slots[0]) + slots[1], std::string(198, 'x') + "h");
    EXPECT_NE(page.find("=99>h</a><a"), std::string::npos);  // the rest not examined (nor cut)
}

TEST(SplitHostPort, NameAndOptionalPort) {
    const struct {
        const char* field;
        size_t room;
        const char* host;  // with the port; "" when refused
    } cases[] = {{"news1.example", 256, "news1.example:80"},
                 {"127.0.0.1:8080", 256, "127.0.0.1:8080"},
                 {"h:65535", 256, "h:65535"},
                 {"h:65536", 256, ""},
                 {"h:0", 256, ""},
                 {"h:", 256, ""},
                 {"h:8x", 256, ""},
                 {":80", 256, ""},
                 {"", 256, ""},
                 {"abcd:80", 4, ""}};
    for (const auto& c : cases) {
        char host[256];
        unsigned short port = 0;
        const bool ok = SplitHostPort(c.field, host, c.room, &port);
        EXPECT_EQ(ok ? std::string(host) + ":" + std::to_string(port) : "", c.host) << c.field;
    }
}

}  // namespace
