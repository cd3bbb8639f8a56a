// The news fetch's portable half: EUC-JP conversion, the page buffer, headlines, the host field.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <string>

#include "news/euc_to_sjis.h"
#include "news/headlines.h"

// Every JIS X 0208 code converted alone agrees with glibc's iconv wherever iconv knows it.
TEST(EucToSjis, EveryJisX0208CodeAgreesWithIconvAndErrorsStopWithoutATerminator) {
    for (const char* target : {"SHIFT_JIS", "CP932"}) {
        iconv_t cd = iconv_open(target, "EUC-JP");
        ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << target;
        int compared = 0;
        for (int code = 0; code < 94 * 94; ++code) {
            char in[3] = {char(code / 94 + 0xA1), char(code % 94 + 0xA1), 0}, theirs[8], ours[3];
            char *ip = in, *op = theirs;
            size_t il = 2, ol = sizeof theirs;
            if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1)) continue;
            ASSERT_EQ(EucToSjis(in, ours, sizeof ours), 3) << code;
            EXPECT_EQ(std::string(ours, 2), std::string(theirs, op - theirs)) << target << code;
            ++compared;
        }
        iconv_close(cd);
        EXPECT_GE(compared, 6879) << target;  // the characters JIS X 0208 defines
    }
    // ASCII, half-width katakana, JIS X 0212 (as the ideographic space), "に"; in place the same.
    const std::string ascii = "<a href=\"x\">~\\ 0-9</a>\n\t";
    char out[64];
    std::strcpy(out, (ascii + "\x8E\xA1\x8E\xDF\x8F\xA1\xFE\xA4\xCB").c_str());
    EXPECT_EQ(EucToSjis(out, out, sizeof out), int(ascii.size()) + 7);
    EXPECT_EQ(std::string(out), ascii + "\xA1\xDF\x81\x40\x82\xC9");
    const char* in[] = {"abc", "a\xB0\xA1", ""};
    const size_t capacity[] = {3, 2, 0};
    const size_t written[] = {3, 1, 0};  // before the error, no more
    for (int i = 0; i < 3; ++i) {
        std::memset(out, '#', 16);
        EXPECT_EQ(EucToSjis(in[i], out, capacity[i]), kEucNoRoom) << i;
        EXPECT_EQ(std::string(out, 16).substr(written[i]), std::string(16 - written[i], '#'));
    }
    EXPECT_EQ(EucToSjis(nullptr, out, 4), kEucNullSource);
    EXPECT_EQ(EucToSjis("x", nullptr, 4), kEucNullDestination);
    EXPECT_EQ(EucToSjis("x", out, size_t{0x80000000u}), kEucBadCapacity);
}

TEST(News, PageBoundedHeadlinesCutWholeAndTheHostField) {
    std::string page(kPageSize + 1, 'Z');  // received into a buffer of kPageSize bytes
    PageReceive r;
    BeginPage(r, &page[0]);
    char chunk[kChunkSize + 1] = {};
    EXPECT_FALSE(AddChunk(r, "a\0b", 3));  // a NUL is kept as a byte of the page
    EXPECT_FALSE(AddChunk(r, "</ht", 4));  // a closing tag split over two chunks is not seen
    EXPECT_FALSE(AddChunk(r, "ml>", 3));
    EXPECT_EQ(std::string(page.data(), r.length), std::string("a\0b</html>", 10));
    std::memset(chunk, 'x', kChunkSize);
    for (int i = 0; i < 30; ++i) EXPECT_FALSE(AddChunk(r, chunk, kChunkSize));  // 120 KB
    EXPECT_TRUE(r.length == kPageSize - 1 && page[kPageSize - 1] == '\0' && page[kPageSize] == 'Z');
    EXPECT_TRUE(AddChunk(r, std::strcpy(chunk, "</html>"), 7));  // dropped, but it ends the page
    for (int i = 1; i < kIdlePolls; ++i) EXPECT_FALSE(AddIdlePoll(r));
    EXPECT_TRUE(AddIdlePoll(r));
    // Headlines: the link texts after the start marker, a hundred at most.
    const char* pages[] = {"<a ?a=1>1</a>@S@<a ?a=2>2</a><a x>x</a><a ?a=3>3]</a><a ?a=4>4</a>",
                           "@S@<a ?a=1><img src=p.gif></a><a ?a=2> 2\n</a>",
                           "@S@<a ?a=1>a @S@ b</a>",
                           "@S@<a ?a=1>1",
                           "@S@<a ?a=1",
                           "<a ?a=1>1</a>"};
    const char* kept[] = {"2|4", " 2\n", "a @S@ b", "", "", "6"};  // 6: no start marker
    static char slots[kNewsSlots][kHeadlineSize];
    int count = 0;
    for (int i = 0; i < 6; ++i) {
        std::string text = pages[i], got;
        const int result = ExtractHeadlines(&text[0], "@S@", "?a=", "]", slots, &count);
        for (int k = 0; k < count; ++k) got += (k ? "|" : "") + std::string(slots[k]);
        EXPECT_EQ(got + (result ? std::to_string(result) : ""), kept[i]) << i;
    }
    page.assign("<a ?a=1>one</a>");  // an empty reject word rejects none
    EXPECT_EQ(ExtractHeadlines(&page[0], "", "?a=", "", slots, &count), 0);
    EXPECT_EQ(count, 1);
    // Cut at 199 bytes and a whole character; the reject word counts beyond the cut too.
    page = "<a ?a=1>" + std::string(198, 'x') + "\x88\x9Fyy</a><a ?a=2>" + std::string(250, 'r') +
           "]</a>";
    for (int i = 0; i < 150; ++i) page += "<a ?a=" + std::to_string(i) + ">h</a>";
    EXPECT_EQ(ExtractHeadlines(&page[0], "", "?a=", "]", slots, &count), 0);
    EXPECT_EQ(count, kNewsSlots);
    EXPECT_EQ(std::string(slots[0]) + slots[1], std::string(198, 'x') + "h");
    const char* fields[] = {
        "news1.example", "127.0.0.1:8080", "h:65535", "h:65536", "h:0", "h:", "h:8x", ":80", "",
        "abcd:80"};
    const char* split[] = {"news1.example:80", "127.0.0.1:8080", "h:65535"};  // others refused
    for (int i = 0; i < 10; ++i) {
        char host[256];
        unsigned short port = 0;
        const bool ok = SplitHostPort(fields[i], host, i < 9 ? sizeof host : 4, &port);
        EXPECT_EQ(ok ? std::string(host) + ":" + std::to_string(port) : "", i < 3 ? split[i] : "");
    }
}
