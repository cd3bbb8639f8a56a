// Text on real DirectDraw surfaces under Wine, in windowed mode: the font layer, the blend of a
// chunk, the compositor's line breaking, bottom cut and colour lift, and the title screen.
// Runs on whatever depth the desktop has (32-bit surfaces on the bench's 24-bit Xvfb, 5-6-5 on
// a 16-bit one); KORAVEN_EXPECT_DEPTH=16 or 32 insists on one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/error_report.h"
#include "display/win32/kadraw.h"
#include "display/win32/title_screen.h"
#include "game/blocks.h"
#include "overlay/win32/compose_text.h"
#include "overlay/win32/fonts.h"
#include "settings/settings.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"

using namespace kaDraw;

namespace {

std::vector<std::string> reports;
void RecordReport(const char* text) {
    reports.push_back(text);
}

// What a rectangle of a surface holds: how many pixels are not black, their bounding box, and
// the largest value of each channel (in the channel's own bits: 0..31 or 0..255).
struct Ink {
    int count = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // right/bottom inclusive
    int maxChannel[3] = {0, 0, 0};
};

int Bytes() {
    return pixelFormat.bitsPerPixel / 8;
}

uint32_t White() {
    return pixelFormat.redMask | pixelFormat.greenMask | pixelFormat.blueMask;
}

int ChannelOf(uint32_t pixel, int i) {
    const uint32_t masks[3] = {pixelFormat.redMask, pixelFormat.greenMask, pixelFormat.blueMask};
    const int shifts[3] = {pixelFormat.redShift, pixelFormat.greenShift, pixelFormat.blueShift};
    return static_cast<int>((pixel & masks[i]) >> shifts[i]);
}

Ink InkIn(IDirectDrawSurface* s, int x0, int y0, int x1, int y1) {
    Ink ink;
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) {
        ADD_FAILURE() << "lock";
        return ink;
    }
    x1 = std::min<int>(x1, d.dwWidth);
    y1 = std::min<int>(y1, d.dwHeight);
    for (int y = std::max(y0, 0); y < y1; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch;
        for (int x = std::max(x0, 0); x < x1; ++x) {
            // Only the colour bits: a fill leaves the X byte of X8R8G8B8 as it likes.
            uint32_t v = ReadRawPixel(row + x * Bytes(), pixelFormat.bitsPerPixel) & White();
            if (v == 0) continue;
            ++ink.count;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x);
            ink.bottom = std::max(ink.bottom, y);
            for (int i = 0; i < 3; ++i)
                ink.maxChannel[i] = std::max(ink.maxChannel[i], ChannelOf(v, i));
        }
    }
    s->Unlock(nullptr);
    return ink;
}

Ink BackInk(int x0, int y0, int x1, int y1) {
    return InkIn(backScreen, x0, y0, x1, y1);
}

void SetPixelRaw(IDirectDrawSurface* s, int x, int y, uint32_t v) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    std::memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * Bytes(), &v, Bytes());
    s->Unlock(nullptr);
}

// Top five (16 bits) or eight (32 bits) bits of a channel, as the blend kernel sees it.
int Top(int channel, int i) {
    const uint32_t masks[3] = {pixelFormat.redMask, pixelFormat.greenMask, pixelFormat.blueMask};
    const int bits = __builtin_popcount(masks[i]);
    return pixelFormat.bitsPerPixel == 16 ? channel >> (bits - 5) : channel;
}

// Composes one text as the title screen does, onto a cleared back screen.
void Compose(int left, int top, int right, int bottom, const char* text, COLORREF color,
             int size = 24) {
    ClearBackScreen();
    BeginSpriteText(2, size);
    SetTextColors(color, 0, 1);
    ComposeText(left, top, right, bottom, text);
    EndSpriteText();
}

// Width in screen pixels of a character at the compositor's double size, rounded as it rounds.
int HalfWidth(const char* ch, int size = 24) {
    BeginSpriteText(2, size);
    SIZE s = {0, 0};
    GetTextExtentPoint32A(textDC, ch, static_cast<int>(std::strlen(ch)), &s);
    EndSpriteText();
    return (s.cx + (s.cx & 1)) / 2;
}

class Text : public ::testing::Test {
  protected:
    void SetUp() override {
        reports.clear();
        errorBox = RecordReport;
        // A plain system window class: the display needs a window, not our window procedure.
        window = CreateWindowExA(0, "STATIC", "KORAVEN text test", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mainWindow = window;
        fullScreen = false;
        previewMode = false;
        windowOrigin = {0, 0};
        Screen(640, 480, 1);
        ASSERT_NE(backScreen, nullptr);
        ASSERT_NE(SpriteSurface(SPRITE_FONT), nullptr);
        ASSERT_NE(SpriteSurface(SPRITE_FONT_BUFFER), nullptr);
        ASSERT_TRUE(pixelFormat.bitsPerPixel == 16 || pixelFormat.bitsPerPixel == 32);
        // KORAVEN_EXPECT_DEPTH=16 checks that a run meant for a 5-6-5 desktop really has one.
        if (const char* want = std::getenv("KORAVEN_EXPECT_DEPTH")) {
            ASSERT_EQ(pixelFormat.bitsPerPixel, std::atoi(want));
        }
        InitFonts();
        ASSERT_NE(FontDesc, nullptr);
    }
    void TearDown() override {
        ReleaseFonts();
        ReleaseSound();
        Release();
        previewMode = false;
        DestroyWindow(window);
        errorBox = nullptr;
    }
    HWND window = nullptr;
};

}  // namespace

TEST_F(Text, FontLayerKeepsTheSharedDescription) {
    BeginSpriteText(2, 24);
    EXPECT_EQ(FontDesc->lfHeight, 48);
    EXPECT_EQ(currentFontHeight, 48);
    EXPECT_EQ(FontDesc->lfWeight, 400);
    EXPECT_EQ(FontDesc->lfCharSet, 128);
    EXPECT_STREQ(FontDesc->lfFaceName, "ＭＳＰ ゴシック");
    ASSERT_NE(textDC, nullptr);
    // The face name reaches a real Japanese font: "あ" has the full cell height.
    SIZE s = {0, 0};
    GetTextExtentPoint32A(textDC, "あ", 2, &s);
    EXPECT_GE(s.cy, 46);
    EXPECT_LE(s.cy, 50);
    EXPECT_GT(s.cx, 30);
    EndSpriteText();
    EXPECT_EQ(textDC, nullptr);

    // Another face selector keeps the face; weight 5 leaves the weight to the font mapper.
    BeginText(7, 20, 90, 5, 1, 1);
    EXPECT_STREQ(FontDesc->lfFaceName, "ＭＳＰ ゴシック");
    EXPECT_EQ(FontDesc->lfEscapement, 900);
    EXPECT_EQ(FontDesc->lfWeight, 0);
    EXPECT_EQ(FontDesc->lfItalic, 1);
    EXPECT_EQ(FontDesc->lfUnderline, 1);
    EXPECT_EQ(FontDesc->lfOrientation, 0);
    EndText();
    BeginText(1, 20, 0, 1, 0, 0);
    EXPECT_STREQ(FontDesc->lfFaceName, "標準ゴシック");
    EXPECT_EQ(FontDesc->lfWeight, 700);
    EndText();

    // A Begin while another is open gives the first context back instead of leaking it: the
    // back screen can be locked again afterwards.
    BeginText(2, 20, 0, 0, 0, 0);
    BeginSpriteText(2, 24);
    EndSpriteText();
    EXPECT_EQ(BackInk(0, 0, 1, 1).count, 0);
}

TEST_F(Text, PutTextWritesOnTheBackScreenOnlyWhereTheTextIs) {
    ClearBackScreen();
    BeginText(2, 24, 0, 0, 0, 0);
    SetTextColors(RGB(255, 255, 255), 0, 1);
    PutText(100, 100, "■■");
    EndText();
    Ink ink = BackInk(0, 0, 640, 480);
    ASSERT_GT(ink.count, 100);
    EXPECT_GE(ink.left, 100);
    EXPECT_GE(ink.top, 100);
    EXPECT_LT(ink.right, 160);
    EXPECT_LT(ink.bottom, 124);
}

TEST_F(Text, BlendOfOneChunkOnRealSurfaces) {
    IDirectDrawSurface* buffer = SpriteSurface(SPRITE_FONT_BUFFER);
    IDirectDrawSurface* font = SpriteSurface(SPRITE_FONT);
    ClearSprite(SPRITE_FONT_BUFFER);
    ClearSprite(SPRITE_FONT);
    ClearBackScreen();
    SetPixelRaw(buffer, 2, 2, White());
    EXPECT_EQ(BlendTextChunk(0, 0, 0, 0, 8, 8), 1);
    Ink one = InkIn(font, 0, 0, 4, 4);
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.left, 1);
    EXPECT_EQ(one.top, 1);
    // One white sample over black: (M + M) / 8, 7 of 31 or 63 of 255.
    const int expect = pixelFormat.bitsPerPixel == 16 ? 7 : 63;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Top(one.maxChannel[i], i), expect);

    // Left of the clip rectangle by one: the destination moves to 0, the source by two.
    ClearSprite(SPRITE_FONT);
    EXPECT_EQ(BlendTextChunk(-1, 0, 0, 0, 8, 8), 1);
    Ink moved = InkIn(font, 0, 0, 4, 4);
    EXPECT_EQ(moved.count, 1);
    EXPECT_EQ(moved.left, 0);
    // Wholly outside: nothing, but done.
    EXPECT_EQ(BlendTextChunk(700, 0, 0, 0, 8, 8), 1);
}

TEST_F(Text, TitleLineLandsInsideItsBox) {
    const TitleTextPlace p = TitleLinePlace(640, 480);
    LARGE_INTEGER t0, t1, hz;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < 10; ++i) {
        Compose(p.left, p.top, p.right, p.bottom, kTitleLine, RGB(255, 255, 255), p.size);
    }
    QueryPerformanceCounter(&t1);
    QueryPerformanceFrequency(&hz);
    std::printf("title line composed in %.2f ms\n",
                100.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / hz.QuadPart);
    Ink inside = BackInk(p.left, p.top, 640, p.top + 24);
    EXPECT_GT(inside.count, 500);
    EXPECT_EQ(BackInk(0, 0, 640, p.top).count, 0);
    EXPECT_EQ(BackInk(0, 0, p.left, 480).count, 0);
    // One line at 640: it fits. A line is as high as its tallest character (a pixel or two
    // over the size).
    EXPECT_EQ(BackInk(0, p.top + p.size + 2, 640, 480).count, 0);
    // Solid strokes come out at full white.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Top(inside.maxChannel[i], i), pixelFormat.bitsPerPixel == 16 ? 31 : 255);
    }
}

TEST_F(Text, FullStopPastTheEdgeStaysOnItsLine) {
    const int square = HalfWidth("■");
    const int left = 100, top = 100;
    const int right = left + 5 * square + 1;  // five squares fit, a sixth character does not
    ASSERT_GE(HalfWidth("。"), 2);

    Compose(left, top, right, 480, "■■■■■。■", RGB(255, 255, 255));
    EXPECT_GT(BackInk(right, top, 640, top + 24).count, 0) << "the full stop passes the edge";
    // The next line holds only the last square.
    Ink second = BackInk(0, top + 24, 640, top + 48);
    EXPECT_GT(second.count, 0);
    EXPECT_LT(second.right, left + square);
    EXPECT_EQ(BackInk(0, top + 48, 640, 480).count, 0);

    // A square in the same place is not allowed past the edge: it begins the next line.
    Compose(left, top, right, 480, "■■■■■■■", RGB(255, 255, 255));
    EXPECT_EQ(BackInk(right, top, 640, top + 24).count, 0);
    Ink wrapped = BackInk(0, top + 24, 640, top + 48);
    EXPECT_GE(wrapped.left, left);
    EXPECT_GE(wrapped.right, left + square);  // two squares there now
}

TEST_F(Text, LineFeedAndBottomCut) {
    Compose(100, 100, 600, 480, "■\n■", RGB(255, 255, 255));
    Ink first = BackInk(0, 100, 640, 124);
    Ink second = BackInk(0, 124, 640, 148);
    EXPECT_GT(first.count, 0);
    EXPECT_GT(second.count, 0);
    EXPECT_LT(first.right, 100 + HalfWidth("■"));
    EXPECT_LT(second.right, 100 + HalfWidth("■"));

    // A box 12 pixels high: the first line is cut at its bottom edge, no second line.
    Compose(100, 100, 130, 112, "■■■■■■■■", RGB(255, 255, 255));
    Ink cut = BackInk(0, 0, 640, 480);
    EXPECT_GT(cut.count, 0);
    EXPECT_LT(cut.bottom, 112);
    EXPECT_GE(cut.bottom, 108);
}

TEST_F(Text, NearBlackTextIsLiftedToSixteen) {
    // Nine samples of a solid square: (9 s + M) / 8 with s the sixteen of the lifted colour.
    auto solid = [](int s) {
        return pixelFormat.bitsPerPixel == 16 ? (9 * (s >> 3) + 31) / 8 : (9 * s + 255) / 8;
    };
    Compose(100, 100, 600, 480, "■", RGB(8, 8, 8));
    EXPECT_EQ(textColor, RGB(16, 16, 16));
    Ink dark = BackInk(0, 0, 640, 480);
    ASSERT_GT(dark.count, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Top(dark.maxChannel[i], i), solid(16)) << i;

    Compose(100, 100, 600, 480, "■", RGB(32, 32, 32));
    EXPECT_EQ(textColor, RGB(32, 32, 32));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Top(BackInk(0, 0, 640, 480).maxChannel[i], i), solid(32));
}

TEST(TitleLayout, ScalesWithTheDisplayWidth) {
    EXPECT_STREQ(kTitleLine, "KORAVEN  by KORAVEN Project  2002/12/3");
    EXPECT_STREQ(kNewsNotice, "ニュース読み込み中．．．");
    TitleTextPlace t = TitleLinePlace(1024, 768);
    EXPECT_EQ(t.left, 256);
    EXPECT_EQ(t.top, 345);
    EXPECT_EQ(t.right, 1024);
    EXPECT_EQ(t.bottom, 768);
    EXPECT_EQ(t.size, 38);
    TitleTextPlace n = NewsNoticePlace(640, 480);
    EXPECT_EQ(n.left, 200);
    EXPECT_EQ(n.top, 216);
    EXPECT_EQ(n.size, 24);
}

TEST_F(Text, TitleScreenInPreviewDrawsNothingAndPlacesTheBlocks) {
    previewMode = true;
    config.TITLE = 1;
    config.SHOW[SLOT_NEWS1] = 1;
    config.WIDTH = 10;
    config.HEIGHT = 20;
    std::strcpy(config.BLOCKFILE, "missing-block.x");
    runState = 1;
    ClearBackScreen();
    const unsigned long presents = presentCount;
    RunTitleScreen();
    EXPECT_EQ(runState, 2);
    EXPECT_EQ(presentCount, presents);
    EXPECT_EQ(BackInk(0, 0, 640, 480).count, 0);
    EXPECT_EQ(blockPositions[0][0], -9);
    EXPECT_EQ(blockPositions[0][1], 20);
    EXPECT_EQ(blockPositions[899][0], 49);
    EXPECT_EQ(blockPositions[899][1], -38);
    EXPECT_EQ(blockPositions[899][2], 0);
    // A block file that is not there is reported, and the title screen goes on.
    EXPECT_NE(std::find(reports.begin(), reports.end(),
                        std::string("ka3D::LoadObject : Xファイルを読み込めません")),
              reports.end());
}

TEST_F(Text, TitleScreenFadesAndLeavesTheNewsNotice) {
    config.TITLE = 1;
    config.SHOW[SLOT_NEWS1] = 0;
    config.SHOW[SLOT_NEWS2] = 1;
    std::strcpy(config.BLOCKFILE, "koraven.x");
    runState = 1;
    const unsigned long presents = presentCount;
    const DWORD start = timeGetTime();
    RunTitleScreen();
    const DWORD took = timeGetTime() - start;
    EXPECT_EQ(runState, 2);
    EXPECT_GE(took, 4000u);  // three seconds of title, one of fade
    // The title, at least two fade pictures, the notice.
    EXPECT_GE(presentCount - presents, 4u);
    std::printf("title screen: %lu pictures presented in %lu ms\n", presentCount - presents,
                static_cast<unsigned long>(took));
    // The back screen holds the notice in its colour, green and blue alike; red has no text but
    // the eighth of full intensity every blended pixel gets.
    const TitleTextPlace n = NewsNoticePlace(640, 480);
    Ink notice = BackInk(0, 0, 640, 480);
    ASSERT_GT(notice.count, 0);
    EXPECT_GE(notice.left, n.left);
    EXPECT_GE(notice.top, n.top);
    EXPECT_EQ(Top(notice.maxChannel[0], 0), pixelFormat.bitsPerPixel == 16 ? 31 / 8 : 255 / 8);
    EXPECT_GT(notice.maxChannel[1], 0);
    EXPECT_EQ(Top(notice.maxChannel[1], 1), Top(notice.maxChannel[2], 2));
}
