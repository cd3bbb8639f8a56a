// The news fetch's portable half: EUC-JP conversion, the page buffer, headlines, the host field.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <string>
#include <vector>

#include "news/euc_to_sjis.h"
#include "news/headlines.h"

namespace {

// Every JIS X 0208 code converted alone agrees with glibc's iconv wherever iconv knows it.
TEST(EucToSjis, EveryJisX0208CodeAgreesWithIconv) {
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
}

TEST(EucToSjis, NoRoomStopsTheTextWithoutATerminator) {
    const struct {
        const char* name;
        const char* in;
        size_t capacity;
        int result;
        const char* written;
    } rows[] = {{"no room for the terminator", "abc", 3, kEucNoRoom, "abc"},
                {"no room for the character", "a\xB0\xA1", 2, kEucNoRoom, "a"}};
    for (const auto& row : rows) {
        char out[16];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(EucToSjis(row.in, out, row.capacity), row.result) << row.name;
        const size_t n = std::strlen(row.written);
        EXPECT_EQ(std::string(out, n), row.written) << row.name;
        EXPECT_EQ(out[n], '#') << row.name;
    }
}

class Page : public testing::Test {
  protected:
    void SetUp() override { BeginPage(r, &page[0]); }
    bool Add(const char* text, size_t n) { return AddChunk(r, std::strcpy(chunk, text), n); }
    std::string page = std::string(kPageSize + 1, 'Z');  // one byte more than the buffer
    PageReceive r;
    char chunk[kChunkSize + 1] = {};
};

TEST_F(Page, ALongPageKeepsWhatFitsAndItsClosingTagStillEndsIt) {
    std::memset(chunk, 'x', kChunkSize);
    for (int i = 0; i < 30; ++i) AddChunk(r, chunk, kChunkSize);  // 120 KB
    EXPECT_EQ(r.length, kPageSize - 1);
    EXPECT_EQ(page[kPageSize - 1], '\0');
    EXPECT_EQ(page[kPageSize], 'Z');
    EXPECT_TRUE(Add("</html>", 7));
}

std::vector<std::string> Extract(std::string page, const char* reject, int* result = nullptr) {
    static char slots[kNewsSlots][kHeadlineSize];
    int count = 0;
    const int got = ExtractHeadlines(&page[0], "@S@", "?a=", reject, slots, &count);
    if (result) *result = got;
    return std::vector<std::string>(slots, slots + count);
}

TEST(Headlines, TheLinkTextsAfterTheStartMarkerWithoutRejectedOnes) {
    const struct {
        const char* name;
        const char* page;
        std::vector<std::string> kept;
    } rows[] = {
        {"after the marker",
         "<a ?a=1>1</a>@S@<a ?a=2>2</a><a x>x</a><a ?a=3>3]</a><a ?a=4>4</a>",
         {"2", "4"}},
        {"picture links skipped", "@S@<a ?a=1><img src=p.gif></a><a ?a=2> 2\n</a>", {" 2\n"}},
        {"marker inside", "@S@<a ?a=1>a @S@ b</a>", {"a @S@ b"}},
        {"unclosed", "@S@<a ?a=1>1", {}}};
    for (const auto& row : rows) EXPECT_EQ(Extract(row.page, "]"), row.kept) << row.name;
}

TEST(Headlines, ALongHeadlineIsCutTo199Bytes) {
    const auto kept = Extract("@S@<a ?a=1>" + std::string(250, 'x') + "</a>", "]");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0], std::string(199, 'x'));
}

TEST(Headlines, TheRejectWordCountsBeyondTheCut) {
    EXPECT_TRUE(Extract("@S@<a ?a=1>" + std::string(250, 'r') + "]</a>", "]").empty());
}

TEST(Headlines, AHundredAtMostAreKept) {
    std::string page = "@S@";
    for (int i = 0; i < 150; ++i) page += "<a ?a=" + std::to_string(i) + ">h</a>";
    EXPECT_EQ(Extract(page, "]").size(), size_t{kNewsSlots});
}

TEST(SplitHostPort, ANameAndAnOptionalPortFromOneTo65535) {
    const struct {
        const char* field;
        bool ok;
        const char* host;
        unsigned short port;
    } rows[] = {{"news1.example", true, "news1.example", 80},
                {"h:65535", true, "h", 65535},
                {"h:65536", false, "", 0},
                {"h:0", false, "", 0}};
    for (const auto& row : rows) {
        char host[256] = {};
        unsigned short port = 0;
        EXPECT_EQ(SplitHostPort(row.field, host, sizeof host, &port), row.ok) << row.field;
        if (!row.ok) continue;
        EXPECT_STREQ(host, row.host);
        EXPECT_EQ(port, row.port) << row.field;
    }
}

}  // namespace
