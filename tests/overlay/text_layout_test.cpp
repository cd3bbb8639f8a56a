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

// The chunks a layout makes, as "penX,penY width x height chars" separated by " | ".
std::string Chunks(const char* text, TextBox box = kBox, int bufferWidth = 1000, int tall = 48) {
    Recorder r;
    r.tall = tall;
    LayOutText(box, 48, bufferWidth, text, r.Ops());
    std::string out;
    for (const auto& c : r.chunks) {
        out += (out.empty() ? "" : " | ") + std::to_string(c.penX) + "," + std::to_string(c.penY) +
               " " + std::to_string(c.width) + "x" + std::to_string(c.height) + " " + c.chars;
    }
    return out;
}

TEST(LayOutText, LinesBreakAtTheEdgeExceptBeforeAFullStop) {
    const std::pair<const char*, const char*> cases[] = {
        // A full stop reaching the right edge stays on its line; any other character starts the
        // next.
        {"あいうえお。か", "100,50 120x48 あいうえお。 | 100,74 20x48 か"},
        {"あいうえおかき", "100,50 100x48 あいうえお | 100,74 40x48 かき"},
        // A line feed ends the line and is not drawn; an empty line still moves the pen down.
        {"あい\nう\n\nえ", "100,50 40x48 あい | 100,74 20x48 う | 100,98 0x48  | 100,122 20x48 え"},
        // Double-byte characters are never split: 82 81 then 42 is not "。"; a lone lead byte at
        // the end is dropped.
        {"\x82\x81"
         "B"
         "ソ"
         "\x82",
         "100,50 50x48 \x82\x81"
         "Bソ"},
        {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(Chunks(c.first), c.second) << c.first;
    // The buffer width splits a line into chunks; the tallest character sets the line step.
    EXPECT_EQ(Chunks("あいうえ", kBox, 50), "100,50 40x48 あい | 120,50 40x48 うえ");
    EXPECT_EQ(Chunks("あ■いうえおか", kBox, 1000, 61),
              "100,50 100x62 あ■いうえ | 100,81 40x48 おか");
    // The bottom edge cuts the last line.
    EXPECT_EQ(Chunks("あいうえおかきくけこさしすせそ", TextBox{100, 50, 160, 80}),
              "100,50 100x48 あいうえお | 100,74 100x12 かきくけこ");
    Recorder r;
    TextBox covered = LayOutText(kBox, 48, 1000, "あいうえお。か", r.Ops());
    EXPECT_EQ(std::vector<int>({covered.left, covered.top, covered.right, covered.bottom}),
              std::vector<int>({100, 50, 160, 98}));
    EXPECT_EQ(r.draws[6].x, 0);  // a character carried over is drawn again at the chunk's start
}

TEST(LayOutText, OverlongTextsAndOverwideCharactersStayInTheBox) {
    std::string longText;
    for (int i = 0; i < 5000; ++i) longText += i % 7 == 0 ? "。" : i % 5 == 0 ? "a" : "あ";
    Recorder r;
    const TextBox box{100, 50, 160, 300};
    TextBox covered = LayOutText(box, 48, 64, longText.c_str(), r.Ops());
    ASSERT_FALSE(r.chunks.empty());
    for (const auto& c : r.chunks) {
        EXPECT_TRUE(c.penX >= box.left && c.penX < box.right && c.penY < box.bottom);
        EXPECT_LE(c.width, 64 + 20);  // at most one character over the buffer width
    }
    EXPECT_LE(covered.bottom, box.bottom);
    EXPECT_LT(r.draws.size(), 200u);
    // A character wider than the line is drawn once, not retried forever (even at height 0).
    for (int fontHeight : {48, 0}) {
        Recorder w;
        w.height = 0;
        LayOutText(kBox, fontHeight, 1000, "＿あ", w.Ops());
        EXPECT_EQ(w.chunks.at(0).chars, "＿");
        EXPECT_LE(w.draws.size(), 3u);
    }
}

TEST(LayOutText, LineStartRuleAndTextColour) {
    for (const char* c : {"、", "。", "，", "．", "・", "…", "‥", "”", "’", "（", "」", "　"})
        EXPECT_TRUE(LineStartForbidden(c, 2)) << c;
    for (const char* c : {",", ".", " "}) EXPECT_TRUE(LineStartForbidden(c, 1)) << c;
    for (const char* c : {"あ", "）", "「", "ソ"}) EXPECT_FALSE(LineStartForbidden(c, 2)) << c;
    EXPECT_FALSE(LineStartForbidden("A", 1));
    EXPECT_FALSE(LineStartForbidden("\x81", 1));
    // Near-black text would vanish in a sprite keyed on black: it becomes 16 grey.
    const std::pair<uint32_t, uint32_t> colours[] = {{0x080808, 0x101010},
                                                     {0, 0x101010},
                                                     {0x0F0F0F, 0x101010},
                                                     {0x100808, 0x100808},
                                                     {0xFFFFFF, 0xFFFFFF}};
    for (const auto& c : colours)
        EXPECT_EQ(TextColorForSprite(c.first), c.second) << std::hex << c.first;
}
