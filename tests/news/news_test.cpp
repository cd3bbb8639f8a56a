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

std::string Sjis(const std::string& euc, int* result = nullptr) {
    std::vector<char> out(euc.size() + 1, '\x55');
    const int r = EucToSjis(euc.c_str(), out.data(), out.size());
    if (result) *result = r;
    return r > 0 ? std::string(out.data()) : std::string();
}

// Every two-byte JIS X 0208 code, rows and cells 1..94, converted alone and compared with an
// independent converter wherever that one knows the character.
TEST(EucToSjis, EveryJisX0208CodeAgreesWithIconv) {
    for (const char* target : {"SHIFT_JIS", "CP932"}) {
        iconv_t cd = iconv_open(target, "EUC-JP");
        ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << target;
        int compared = 0;
        for (int row = 1; row <= 94; ++row) {
            for (int cell = 1; cell <= 94; ++cell) {
                char in[3] = {static_cast<char>(row + 0xA0), static_cast<char>(cell + 0xA0), 0};
                char theirs[8];
                char* ip = in;
                char* op = theirs;
                size_t il = 2, ol = sizeof theirs;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1)) continue;
                char ours[3];
                ASSERT_EQ(EucToSjis(in, ours, sizeof ours), 3) << row << "-" << cell;
                EXPECT_EQ(std::string(ours, 2), std::string(theirs, op - theirs))
                    << target << " row " << row << " cell " << cell;
                ++compared;
            }
        }
        iconv_close(cd);
        // JIS X 0208 defines 6,879 characters.
        EXPECT_GE(compared, 6879) << target;
    }
}

TEST(EucToSjis, SingleBytesKatakanaAndSupplementaryCharacters) {
    const std::string ascii = "<a href=\"x\">plain ASCII ~\\ 0-9</a>\n\t";
    EXPECT_EQ(Sjis(ascii), ascii);
    EXPECT_EQ(Sjis("\x8E\xA1\x8E\xDF"), "\xA1\xDF");  // half-width katakana keep their code
    EXPECT_EQ(Sjis("a\x8F\xA1\xFE"
                   "b"),
              "a\x81\x40"
              "b");  // JIS X 0212: ideographic space
    EXPECT_EQ(Sjis("\xA4\xCB\xA5\xE5\xA1\xBC\xA5\xB9"), "\x82\xC9\x83\x85\x81\x5B\x83\x58");
    int r = 0;
    EXPECT_EQ(Sjis("", &r), "");
    EXPECT_EQ(r, 1);
}

TEST(EucToSjis, ErrorsStopWithoutATerminator) {
    struct Case {
        const char* in;
        size_t capacity;
        int result;
        size_t written;  // bytes of output before the error
    } cases[] = {
        {"ab\x80x", 16, kEucBadSequence, 2},  // lead byte outside every range
        {"\x8D\xA1", 16, kEucBadSequence, 0},
        {"\xA0\xA1", 16, kEucBadSequence, 0},
        {"\xFF", 16, kEucBadSequence, 0},
        {"a\x8E\xE0", 16, kEucBadSequence, 1},  // katakana second byte out of range
        {"\x8E", 16, kEucBadSequence, 0},       // ... or the terminator
        {"\x8F\xA1", 16, kEucBadSequence, 0},   // JIS X 0212 cut short
        {"\x8F\xA1\x41", 16, kEucBadSequence, 0},
        {"\xB0\x41", 16, kEucBadSequence, 0},  // JIS X 0208 trail out of range
        {"\xB0", 16, kEucBadSequence, 0},
        {"abc", 3, kEucNoRoom, 3},        // no room for the terminator
        {"a\xB0\xA1", 2, kEucNoRoom, 1},  // a two-byte character does not fit
        {"", 0, kEucNoRoom, 0},
    };
    for (const Case& c : cases) {
        char out[16];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(EucToSjis(c.in, out, c.capacity), c.result) << c.in;
        for (size_t i = c.written; i < sizeof out; ++i) EXPECT_EQ(out[i], '#') << c.in << " " << i;
    }
    char buffer[4] = "x";
    EXPECT_EQ(EucToSjis(nullptr, buffer, 4), kEucNullSource);
    EXPECT_EQ(EucToSjis("x", nullptr, 4), kEucNullDestination);
    EXPECT_EQ(EucToSjis("x", buffer, size_t{0x80000000u}), kEucBadCapacity);
}

TEST(EucToSjis, InPlaceGivesTheSameAsIntoAnotherBuffer) {
    const std::string euc = "\xA5\xCB\xA5\xE5\x8E\xB1-\x8F\xB0\xA1 ok \xB4\xC1";
    char in[64];
    std::strcpy(in, euc.c_str());
    const int r = EucToSjis(in, in, sizeof in);
    EXPECT_GT(r, 0);
    EXPECT_EQ(std::string(in), Sjis(euc));
}

TEST(PageReceive, ChunksAppendAsStringsUpToTheBufferAndTheClosingTagEndsIt) {
    std::vector<char> page(kPageSize, 'Z');
    PageReceive r;
    BeginPage(r, page.data());
    char chunk[kChunkSize + 1];
    std::memcpy(chunk, "ab\0cd", 5);
    EXPECT_FALSE(AddChunk(r, chunk, 5));  // the NUL ends what is appended
    std::memcpy(chunk, "</ht", 4);
    EXPECT_FALSE(AddChunk(r, chunk, 4));
    std::memcpy(chunk, "ml>", 3);
    EXPECT_FALSE(AddChunk(r, chunk, 3));  // split over two chunks: not seen
    EXPECT_STREQ(page.data(), "ab</html>");
    std::memset(chunk, 'x', kChunkSize);
    for (int i = 0; i < 30; ++i) EXPECT_FALSE(AddChunk(r, chunk, kChunkSize));  // 120 KB
    EXPECT_EQ(r.length, kPageSize - 1);
    EXPECT_EQ(page[kPageSize - 1], '\0');
    std::memcpy(chunk, "</html>", 7);
    EXPECT_TRUE(AddChunk(r, chunk, 7));  // dropped, but it still ends the page
    EXPECT_EQ(r.length, kPageSize - 1);

    for (int i = 1; i < kIdlePolls; ++i) EXPECT_FALSE(AddIdlePoll(r));
    EXPECT_TRUE(AddIdlePoll(r));
    AddChunk(r, chunk, 1);  // data reset the count
    EXPECT_FALSE(AddIdlePoll(r));
}

struct Extraction {
    const char* page;
    const char* ignore;
    const char* tag;
    const char* reject;
    int result;
    std::vector<std::string> kept;
};

class ExtractTest : public ::testing::TestWithParam<Extraction> {};

TEST_P(ExtractTest, KeepsTheLinkTextsAfterTheStartMarker) {
    const Extraction& e = GetParam();
    std::vector<char> page(e.page, e.page + std::strlen(e.page) + 1);
    static char slots[kNewsSlots][kHeadlineSize];
    int count = -1;
    EXPECT_EQ(ExtractHeadlines(page.data(), e.ignore, e.tag, e.reject, slots, &count), e.result);
    ASSERT_EQ(count, static_cast<int>(e.kept.size()));
    for (int i = 0; i < count; ++i) EXPECT_EQ(slots[i], e.kept[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ExtractTest,
    ::testing::Values(
        Extraction{"<a href=/n?a=1>one</a><!-- S --><a href=/n?a=2>two</a><a href=/x>x</a>"
                   "<a href=/n?a=3>three [PR]</a><a href=/n?a=4>four</a>",
                   "<!-- S -->",
                   "/n?a=",
                   "]",
                   0,
                   {"two", "four"}},
        Extraction{"<a href=/n?a=1>one</a>", "<!-- S -->", "/n?a=", "]", 6, {}},
        Extraction{"<a href=/n?a=1>one</a>", "", "/n?a=", "]", 0, {"one"}},  // empty ignore
        Extraction{"<a href=/n?a=1>one</a>", "", "/n?a=", "", 0, {}},        // empty reject
        Extraction{"<a href=/n?a=1><img src=p.gif></a><a href=/n?a=2> two\n</a>",
                   "",
                   "/n?a=",
                   "]",
                   0,
                   {" two\n"}},                                     // image link
        Extraction{"<a href=/n?a=1>one", "", "/n?a=", "]", 0, {}},  // no closing "<"
        Extraction{"<a href=/n?a=1", "", "/n?a=", "]", 0, {}},      // no ">"
        Extraction{"&amp;<a href=/n?a=1>a &amp; b</a>", "&amp;", "/n?a=", "]", 0, {"a &amp; b"}}));

TEST(Extract, StopsAtAHundredAndCutsLongHeadlinesAtAWholeCharacter) {
    std::string page;
    for (int i = 0; i < 150; ++i)
        page += "<a href=/n?a=" + std::to_string(i) + ">h" + std::to_string(i) + "</a>";
    static char slots[kNewsSlots][kHeadlineSize];
    int count = 0;
    EXPECT_EQ(ExtractHeadlines(&page[0], "", "/n?a=", "]", slots, &count), 0);
    EXPECT_EQ(count, kNewsSlots);
    EXPECT_STREQ(slots[99], "h99");
    EXPECT_NE(page.find("h100</a>"), std::string::npos);  // the rest not examined (nor cut)

    // 198 single bytes then a two-byte character: it would end at byte 200, so it is left out.
    std::string longText = "<a href=/n?a=1>" + std::string(198, 'x') + "\x88\x9F" + "yyy</a>";
    EXPECT_EQ(ExtractHeadlines(&longText[0], "", "/n?a=", "]", slots, &count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(std::string(slots[0]), std::string(198, 'x'));
}

TEST(SplitHostPort, NameAndOptionalPort) {
    struct Case {
        const char* field;
        bool ok;
        const char* host;
        unsigned short port;
    } cases[] = {
        {"news1.example", true, "news1.example", 80},
        {"127.0.0.1:8080", true, "127.0.0.1", 8080},
        {"h:65535", true, "h", 65535},
        {"h:65536", false, "", 0},
        {"h:0", false, "", 0},
        {"h:", false, "", 0},
        {"h:8x", false, "", 0},
        {":80", false, "", 0},
        {"", false, "", 0},
    };
    for (const Case& c : cases) {
        char host[256];
        unsigned short port = 0;
        EXPECT_EQ(SplitHostPort(c.field, host, sizeof host, &port), c.ok) << c.field;
        if (!c.ok) continue;
        EXPECT_STREQ(host, c.host);
        EXPECT_EQ(port, c.port);
    }
    char small[4];
    unsigned short port = 0;
    EXPECT_FALSE(SplitHostPort("abcd:80", small, sizeof small, &port));  // does not fit
}

}  // namespace
