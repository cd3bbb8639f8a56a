#include "overlay/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Fixed metrics standing in for a font: single-byte characters 9 wide (rounded to 10), double-
// byte characters 20 wide, all `height` high; "■" is made `tall` high and "＿" 500 wide.
struct Recorder {
    int height = 48;
    int tall = 48;
    struct Draw {
        int x;
        std::string ch;
    };
    struct Chunk {
        int penX, penY, width, height;
        bool last;
        std::string chars;  // the characters drawn inside the chunk's width
    };
    std::vector<Draw> draws, pending;  // all of them, and those since the last chunk
    std::vector<Chunk> chunks;

    static TextExtent DrawCharacter(void* ctx, int x, const char* bytes, int length) {
        auto* r = static_cast<Recorder*>(ctx);
        r->draws.push_back({x, std::string(bytes, length)});
        r->pending.push_back(r->draws.back());
        if (r->draws.back().ch == "■") return {20, r->tall};
        if (r->draws.back().ch == "＿") return {500, r->height};
        return {length == 2 ? 20 : 9, r->height};
    }
    static void BlendChunk(void* ctx, int penX, int penY, int w, int h, bool last) {
        auto* r = static_cast<Recorder*>(ctx);
        std::string in;
        for (const Draw& d : r->pending)
            if (d.x < w) in += d.ch;  // a character taken back was drawn at the chunk's end
        r->chunks.push_back({penX, penY, w, h, last, in});
        r->pending.clear();
    }
    TextLayoutOps Ops() { return TextLayoutOps{this, DrawCharacter, BlendChunk}; }
};

// Line from x 100 to 160: 60 screen pixels hold five double-byte characters (100 buffer
// pixels); a sixth reaches the right edge.
const TextBox kBox{100, 50, 160, 400};

}  // namespace

TEST(LineStartForbidden, WholeCharactersOnly) {
    for (const char* c : {"、", "。", "，", "．", "・", "…", "‥", "”", "’", "（", "」", "　"})
        EXPECT_TRUE(LineStartForbidden(c, 2)) << c;
    for (const char* c : {",", ".", " "}) EXPECT_TRUE(LineStartForbidden(c, 1)) << c;
    for (const char* c : {"あ", "）", "「", "ソ"}) EXPECT_FALSE(LineStartForbidden(c, 2)) << c;
    EXPECT_FALSE(LineStartForbidden("A", 1));
    EXPECT_FALSE(LineStartForbidden("\x81", 1));  // a lone lead byte is no full stop
}

TEST(TextColorForSprite, NearBlackBecomesSixteenGrey) {
    EXPECT_EQ(TextColorForSprite(0x080808), 0x101010u);
    EXPECT_EQ(TextColorForSprite(0x000000), 0x101010u);
    EXPECT_EQ(TextColorForSprite(0x0F0F0F), 0x101010u);
    EXPECT_EQ(TextColorForSprite(0x100808), 0x100808u);  // blue at 16: unchanged
    EXPECT_EQ(TextColorForSprite(0x9B9B00), 0x9B9B00u);
    EXPECT_EQ(TextColorForSprite(0xFFFFFF), 0xFFFFFFu);
}

TEST(LayOutText, FullStopAtTheLineEndStaysOnThatLine) {
    Recorder r;
    TextBox covered = LayOutText(kBox, 48, 1000, "あいうえお。か", r.Ops());
    ASSERT_EQ(r.chunks.size(), 2u);
    EXPECT_EQ(r.chunks[0].chars, "あいうえお。");
    EXPECT_EQ(r.chunks[0].penX, 100);
    EXPECT_EQ(r.chunks[0].width, 120);  // past the right edge by the full stop
    EXPECT_EQ(r.chunks[1].chars, "か");
    EXPECT_EQ(r.chunks[1].penX, 100);
    EXPECT_EQ(r.chunks[1].penY, 74);
    EXPECT_TRUE(r.chunks[1].last);
    EXPECT_EQ(covered.left, 100);
    EXPECT_EQ(covered.top, 50);
    EXPECT_EQ(covered.right, 160);
    EXPECT_EQ(covered.bottom, 98);

    // Any other character that reaches the edge starts the next line and is drawn again there.
    Recorder o;
    LayOutText(kBox, 48, 1000, "あいうえおかき", o.Ops());
    ASSERT_EQ(o.chunks.size(), 2u);
    EXPECT_EQ(o.chunks[0].chars, "あいうえお");
    EXPECT_EQ(o.chunks[0].width, 100);
    EXPECT_EQ(o.chunks[1].chars, "かき");
    EXPECT_EQ(o.chunks[1].penY, 74);
    EXPECT_EQ(o.draws[5].ch, "か");
    EXPECT_EQ(o.draws[5].x, 100);  // first drawn past the chunk's end...
    EXPECT_EQ(o.draws[6].ch, "か");
    EXPECT_EQ(o.draws[6].x, 0);  // ...then again at the start of the next chunk
}

TEST(LayOutText, LineFeedEndsTheLineAndIsNotDrawn) {
    Recorder r;
    LayOutText(kBox, 48, 1000, "あい\nう\n\nえ", r.Ops());
    for (const auto& d : r.draws) EXPECT_NE(d.ch, "\n");
    ASSERT_EQ(r.chunks.size(), 4u);
    EXPECT_EQ(r.chunks[0].width, 40);
    EXPECT_EQ(r.chunks[1].penY, 74);
    EXPECT_EQ(r.chunks[1].width, 20);
    EXPECT_EQ(r.chunks[2].width, 0);  // the empty line still moves the pen down
    EXPECT_EQ(r.chunks[3].penX, 100);
    EXPECT_EQ(r.chunks[3].penY, 50 + 3 * 24);
}

TEST(LayOutText, TallestCharacterSetsTheLineStep) {
    Recorder r;
    r.tall = 61;  // rounded up to 62
    LayOutText(kBox, 48, 1000, "あ■いうえおか", r.Ops());
    ASSERT_EQ(r.chunks.size(), 2u);
    EXPECT_EQ(r.chunks[0].height, 62);
    EXPECT_EQ(r.chunks[1].penY, 50 + 31);
    EXPECT_EQ(r.chunks[1].height, 48);  // the next line starts again at the font's height
}

TEST(LayOutText, BufferWidthSplitsALineIntoChunks) {
    Recorder r;
    LayOutText(kBox, 48, 50, "あいうえ", r.Ops());
    ASSERT_EQ(r.chunks.size(), 2u);
    EXPECT_EQ(r.chunks[0].chars, "あい");
    EXPECT_EQ(r.chunks[1].penX, 120);
    EXPECT_EQ(r.chunks[1].penY, 50);
    EXPECT_EQ(r.chunks[1].chars, "うえ");
}

TEST(LayOutText, BottomEdgeCutsTheLastLine) {
    Recorder r;
    TextBox box{100, 50, 160, 80};
    TextBox covered = LayOutText(box, 48, 1000, "あいうえおかきくけこさしすせそ", r.Ops());
    ASSERT_EQ(r.chunks.size(), 2u);
    EXPECT_EQ(r.chunks[0].height, 48);
    EXPECT_EQ(r.chunks[1].penY, 74);
    EXPECT_EQ(r.chunks[1].height, 12);  // 2 * (80 - 74): ends at the bottom edge
    EXPECT_EQ(covered.bottom, 80);
    for (const auto& c : r.chunks) EXPECT_LT(c.penY, box.bottom);

    // An odd line height keeps its odd row in the cut.
    Recorder odd;
    odd.height = 40;
    LayOutText(box, 47, 1000, "あいうえおかき", odd.Ops());
    ASSERT_EQ(odd.chunks.size(), 2u);
    EXPECT_EQ(odd.chunks[1].penY, 73);
    EXPECT_EQ(odd.chunks[1].height, 2 * (80 - 73) + 1);
}

TEST(LayOutText, DoubleByteCharactersAreNeverSplit) {
    Recorder r;
    // 82 81 is one character; its trail byte followed by 42 must not be read as "。" (81 42).
    // "ソ" ends in 0x5C; a lone lead byte at the very end is dropped.
    const char text[] =
        "\x82\x81"
        "B"
        "ソ"
        "\x82";
    LayOutText(kBox, 48, 1000, text, r.Ops());
    ASSERT_EQ(r.draws.size(), 3u);
    EXPECT_EQ(r.draws[0].ch, "\x82\x81");
    EXPECT_EQ(r.draws[1].ch, "B");
    EXPECT_EQ(r.draws[2].ch, "ソ");
    EXPECT_EQ(r.chunks.size(), 1u);
    EXPECT_EQ(r.chunks[0].width, 50);
}

TEST(LayOutText, EmptyAndOverlongTextsStayInTheBox) {
    Recorder e;
    TextBox covered = LayOutText(kBox, 48, 1000, "", e.Ops());
    EXPECT_TRUE(e.chunks.empty());
    EXPECT_EQ(covered.right, kBox.left);
    EXPECT_EQ(covered.bottom, kBox.top);

    std::string longText;
    for (int i = 0; i < 5000; ++i) longText += i % 7 == 0 ? "。" : i % 5 == 0 ? "a" : "あ";
    Recorder r;
    TextBox box{100, 50, 160, 300};
    covered = LayOutText(box, 48, 64, longText.c_str(), r.Ops());
    ASSERT_FALSE(r.chunks.empty());
    for (const auto& c : r.chunks) {
        EXPECT_GE(c.penX, box.left);
        EXPECT_LT(c.penX, box.right);
        EXPECT_LT(c.penY, box.bottom);
        EXPECT_LE(c.width, 64 + 20);  // at most one character over the buffer width
    }
    EXPECT_LE(covered.bottom, box.bottom);
    EXPECT_LT(r.draws.size(), 200u);  // the drawing stops at the bottom edge
}

TEST(LayOutText, CharacterWiderThanTheLineIsDrawnOnceNotRetriedForever) {
    // With a font height of 0 a retried character would never move the pen down.
    for (int fontHeight : {48, 0}) {
        Recorder r;
        r.height = 0;
        LayOutText(kBox, fontHeight, 1000, "＿あ", r.Ops());
        ASSERT_GE(r.chunks.size(), 1u);
        EXPECT_EQ(r.chunks[0].chars, "＿");
        EXPECT_LE(r.draws.size(), 3u);
    }
    Recorder r;  // wider than the buffer, in the middle of a line
    LayOutText(TextBox{100, 50, 1000, 400}, 48, 300, "あ＿い", r.Ops());
    ASSERT_EQ(r.chunks.size(), 3u);
    EXPECT_EQ(r.chunks[1].chars, "＿");
}
