// Line breaking of the title text over fixed metrics standing in for a font.
#include "overlay/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Single-byte characters 9 wide (rounded to 10), double-byte ones 20, all `height` high; "■" is
// `tall` high and "＿" 500 wide. Records the draws and, per chunk, "penX,penY WxH characters"
// where the characters are those drawn inside the chunk's width (one taken back lies beyond).
struct Recorder {
    int height = 48, tall = 48;
    std::vector<std::pair<int, std::string>> draws, pending;
    std::string chunks;

    static TextExtent Draw(void* ctx, int x, const char* bytes, int length) {
        auto* r = static_cast<Recorder*>(ctx);
        const std::string ch(bytes, length);
        r->draws.push_back({x, ch});
        r->pending.push_back({x, ch});
        return {ch == "＿" ? 500 : length == 2 ? 20 : 9, ch == "■" ? r->tall : r->height};
    }
    static void Blend(void* ctx, int penX, int penY, int w, int h, bool) {
        auto* r = static_cast<Recorder*>(ctx);
        r->chunks += (r->chunks.empty() ? "" : " | ") + std::to_string(penX) + "," +
                     std::to_string(penY) + " " + std::to_string(w) + "x" + std::to_string(h) + " ";
        for (const auto& d : r->pending)
            if (d.first < w) r->chunks += d.second;
        r->pending.clear();
    }
    TextBox LayOut(const char* text, TextBox box = {100, 50, 160, 400}, int bufferWidth = 1000,
                   int fontHeight = 48) {
        return LayOutText(box, fontHeight, bufferWidth, text, TextLayoutOps{this, Draw, Blend});
    }
};

// The line from x 100 to 160 holds five double-byte characters (100 buffer pixels).
TEST(LayOutText, LinesBreakAtTheEdgeExceptBeforeAFullStop) {
    const std::pair<const char*, const char*> cases[] = {
        // A full stop at the right edge stays on its line; any other character starts the next.
        {"あいうえお。か", "100,50 120x48 あいうえお。 | 100,74 20x48 か"},
        {"あいうえおかき", "100,50 100x48 あいうえお | 100,74 40x48 かき"},
        // A line feed ends the line and is not drawn; an empty line still moves the pen down.
        {"あい\nう\n\nえ", "100,50 40x48 あい | 100,74 20x48 う | 100,98 0x48  | 100,122 20x48 え"},
        // 82 81 then 42 is not "。"; a lone lead byte at the end is dropped.
        {"\x82\x81"
         "Bソ\x82",
         "100,50 50x48 \x82\x81"
         "Bソ"}};
    for (const auto& c : cases) {
        Recorder r;
        r.LayOut(c.first);
        EXPECT_EQ(r.chunks, c.second) << c.first;
    }
    // The buffer width splits a line into chunks; the tallest character sets the line step; the
    // bottom edge cuts the last line; a character carried over is drawn again at x 0.
    Recorder narrow, tall, cut, once;
    narrow.LayOut("あいうえ", {100, 50, 160, 400}, 50);
    EXPECT_EQ(narrow.chunks, "100,50 40x48 あい | 120,50 40x48 うえ");
    tall.tall = 61;
    tall.LayOut("あ■いうえおか");
    EXPECT_EQ(tall.chunks, "100,50 100x62 あ■いうえ | 100,81 40x48 おか");
    cut.LayOut("あいうえおかきくけこさしすせそ", {100, 50, 160, 80});
    EXPECT_EQ(cut.chunks, "100,50 100x48 あいうえお | 100,74 100x12 かきくけこ");
    const TextBox covered = once.LayOut("あいうえおかき");
    EXPECT_EQ(std::vector<int>({covered.left, covered.top, covered.right, covered.bottom}),
              std::vector<int>({100, 50, 150, 98}));
    EXPECT_EQ(once.draws[6].first, 0);

    // A long text stays in the box; a character wider than the line is drawn once, not retried
    // forever (even at height 0).
    std::string longText;
    for (int i = 0; i < 5000; ++i) longText += i % 7 == 0 ? "。" : i % 5 == 0 ? "a" : "あ";
    Recorder r;
    const TextBox box = r.LayOut(longText.c_str(), {100, 50, 160, 300}, 64);
    EXPECT_TRUE(box.right <= 160 + 10 && box.bottom <= 300 && r.draws.size() < 200u);
    for (int fontHeight : {48, 0}) {
        Recorder w;
        w.height = 0;
        w.LayOut("＿あ", {100, 50, 160, 400}, 1000, fontHeight);
        EXPECT_TRUE(w.chunks.substr(0, 10) == "100,50 500" && w.draws.size() <= 3) << w.chunks;
    }
}

TEST(LayOutText, LineStartRuleAndTextColour) {
    for (const char* p = "、。，．・…‥”’（」　"; *p; p += 2)
        EXPECT_TRUE(LineStartForbidden(p, 2)) << p;
    for (const char* p = "あ）「ソ"; *p; p += 2) EXPECT_FALSE(LineStartForbidden(p, 2)) << p;
    for (char c : std::string(",. A\x81"))
        EXPECT_EQ(LineStartForbidden(&c, 1), c == ',' || c == '.' || c == ' ') << c;
    // Near-black text would vanish in a sprite keyed on black: it becomes 16 grey.
    const uint32_t colours[] = {0x080808, 0, 0x0F0F0F, 0x100808, 0xFFFFFF};
    const uint32_t shown[] = {0x101010, 0x101010, 0x101010, 0x100808, 0xFFFFFF};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(TextColorForSprite(colours[i]), shown[i]) << i;
}

}  // namespace
