// The display on real DirectDraw surfaces and GDI fonts under Wine, windowed in the shared
// fixture's window: set-up, blits, presentation, the overlay lines and the title screen.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstring>

#include "display/win32/title_screen.h"
#include "common/well_grid.h"
#include "game/win32/game_frame.h"
#include "main_window_fixture.h"
#include "overlay/news_lines.h"
#include "overlay/win32/fonts.h"
#include "overlay/win32/overlay.h"
#include "scene3d/ka3d.h"

using namespace kaDraw;

namespace {

// A rectangle of a 32-bit surface: every pixel, and of those not black the count, bounds and
// largest red, green and blue.
struct Ink {
    int count = 0, left = 1 << 30, top = 1 << 30, bottom = -1;
    int high[3] = {0, 0, 0};
    std::vector<uint32_t> pixels;
};
Ink InkIn(int x0, int y0, int x1, int y1, IDirectDrawSurface* s = backScreen) {
    Ink ink;
    FlushBackScreenClear();  // a clear is only carried out before the next use of the surface
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return ink;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint32_t v = static_cast<uint32_t*>(d.lpSurface)[y * d.lPitch / 4 + x] & 0xFFFFFF;
            ink.pixels.push_back(v);
            if (v == 0) continue;
            ink.count++, ink.left = std::min(ink.left, x), ink.top = std::min(ink.top, y),
                         ink.bottom = std::max(ink.bottom, y);
            for (int i = 0; i < 3; ++i)
                ink.high[i] = std::max(ink.high[i], int(v >> (16 - 8 * i) & 255));
        }
    }
    s->Unlock(d.lpSurface);
    return ink;
}

uint32_t PixelAt(int x, int y) {
    return InkIn(x, y, x + 1, y + 1).pixels[0];
}

void Fill(IDirectDrawSurface* s, RECT r, uint32_t colour) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx, fx.dwFillColor = colour;
    ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

constexpr uint32_t red = 0xFF0000, green = 0xFF00, blue = 0xFF;

class Display : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        fullScreen = false, heldKey = 0x41;  // windowed: no display mode is set
        result = Screen(640, 480, 1);
        ASSERT_NE(backScreen, nullptr);
        ASSERT_EQ(pixelFormat.bitsPerPixel, 32) << "the bench's desktop has 24-bit colour";
    }
    void TearDown() override { ReleaseFonts(), MainWindowTest::TearDown(); }
    static void Place(int slot, int depth, int x, float y, const char* text) {
        config.SHOW[slot] = 1, overlayLines[slot] = {{}, depth, x, y};
        std::strcpy(slot == SLOT_MSG ? config.TEXT : overlayLines[slot].text, text);
    }
    int result = 0;
};

TEST_F(Display, SetUpAndColourMatchThenBlitsClippedKeyedOnBlackAndThe3DPictureLaidOver) {
    EXPECT_EQ(result, soundAvailable ? 1 : 0);
    EXPECT_EQ(heldKey, 0);  // the input reset ran
    ASSERT_TRUE(frontScreen && sprite3D && zBuffer && clipper && FontDesc);
    IDirectDrawClipper* set = nullptr;
    HWND bound = nullptr;
    ASSERT_EQ(frontScreen->GetClipper(&set), DD_OK);
    set->GetHWnd(&bound);
    set->Release();
    EXPECT_TRUE(set == clipper && bound == window);
    EXPECT_EQ(ColorMatch(backScreen, RGB(255, 0, 0)), red);
    Fill(backScreen, {0, 0, 1, 1}, green);
    EXPECT_EQ(ColorMatch(backScreen, RGB(255, 255, 255)), red | green | blue);
    EXPECT_EQ(ColorMatch(backScreen, CLR_INVALID), green);  // reads the corner as it stands
    // Blits.
    for (IDirectDrawSurface* s : {SpriteSurface(SPRITE_SCREEN), sprite3D}) {
        Fill(s, {0, 0, 640, 480}, green);
        Fill(s, {0, 0, 10, 480}, red);
        Fill(s, {16, 16, 32, 32}, 0);
    }
    ClearBackScreen();
    BlitSpriteOpaque(-10, 20, SPRITE_SCREEN, 0, 0, 64, 48);
    BlitSpriteOpaque(0, 480, SPRITE_SCREEN, 0, 0, 64, 48);  // beyond an edge; a free record
    BlitSpriteOpaque(0, 0, 77, 0, 0, 64, 48);
    Ink ink = InkIn(0, 0, 640, 480);
    EXPECT_EQ(ink.count, 54 * 48 - 16 * 16);  // source column 10 lands on column 0
    EXPECT_EQ(ink.left * 1000 + ink.top, 20);
    EXPECT_EQ(PixelAt(0, 20), green);
    // Keyed: the sprite's black shows what was below. The 3D picture (copied by the processor)
    // the same, whether the back screen was filled, or cleared (the clear done in the copy).
    for (int i = 0; i < 3; ++i) {
        if (i < 2) Fill(backScreen, {0, 0, 640, 480}, blue);
        if (i == 2) ClearBackScreen();
        if (i == 0) BlitSpriteKeyed(100, 100, SPRITE_SCREEN, 0, 0, 64, 48);
        if (i > 0) Blit3DSprite(100, 100, 0, 0, 64, 48);
        EXPECT_EQ(PixelAt(100, 100), red) << i;
        EXPECT_EQ(PixelAt(120, 120), i < 2 ? blue : 0u) << i;
        EXPECT_EQ(PixelAt(163, 147), green) << i;
        EXPECT_EQ(PixelAt(164, 147) + PixelAt(163, 148), i < 2 ? 2 * blue : 0u) << i;
    }
    ClearBackScreen();
    Blit3DSprite(-10, 20, 0, 0, 640, 480);  // clipped
    ink = InkIn(0, 0, 640, 480);
    EXPECT_EQ(ink.count, 630 * 460 - 16 * 16);
    EXPECT_EQ(PixelAt(0, 20) + PixelAt(0, 19), green);
    ClearBackScreen();
    Blit3DSprite(0, 0, 0, 0, 640, 480);  // the whole picture over a cleared screen
    EXPECT_EQ(InkIn(0, 0, 640, 480).count, 640 * 480 - 16 * 16);
}

TEST_F(Display, PresentCountsFramesThePreviewShrinksThePictureAFailedSetUpDrawsNothing) {
    const unsigned long before = presentCount;
    Fill(backScreen, {0, 0, 320, 480}, red);
    Fill(backScreen, {320, 0, 640, 480}, blue);
    previewMode = true, previewWidth = 160, previewHeight = 120, windowOrigin = {5, 7};
    Present();
    EXPECT_EQ(PixelAt(40, 60), red);
    EXPECT_EQ(PixelAt(120, 60), blue);
    EXPECT_EQ(PixelAt(200, 60), red);  // outside the shrunk copy: unchanged
    EXPECT_EQ(presentSource.right * 1000 + presentSource.bottom, 160120);
    EXPECT_TRUE(presentDest.left == 5 && presentDest.top == 7 && presentDest.right == 165 &&
                presentDest.bottom == 127);
    previewWidth = 2000, previewHeight = 100;  // a host larger than the display: its size
    Present();
    EXPECT_EQ(presentSource.right * 1000 + presentSource.bottom, 640100);
    EXPECT_EQ(presentCount, before + 2);
    // A set-up that fails part way is reported once; nothing is drawn afterwards.
    ReleaseFonts(), Release();
    EXPECT_EQ(Screen(0, 0, 1), 0);  // no back screen 0 pixels wide
    EXPECT_EQ(errors, std::vector<std::string>{"kaDraw::Screen : 裏画面が生成できません"});
    errors.clear();
    EXPECT_TRUE(frontScreen && !backScreen && !sprite3D && !sprites[0].surface);
    PresentGameFrame(), Present();
    EXPECT_EQ(ClearBackScreen(), DDERR_NOTINITIALIZED);
    EXPECT_EQ(presentCount, before + 2);
}

TEST_F(Display, OverlayLinesTakeGreyAndHeightFromTheirDepthNearerOverFartherNoneInPreview) {
    Place(SLOT_INFO, 16, 20, 40.7f, "");
    Place(SLOT_MSG, 39, 100, 200, "■");
    Place(SLOT_NEWS1, 16, 100, 200, "■");  // its fetch not due
    NewsCountdown[0] = 1000;
    ClearBackScreen();
    UpdateOverlay();
    const Ink back = InkIn(0, 0, 640, 150), front = InkIn(0, 150, 640, 480);
    EXPECT_EQ(back.high[0] * 10000 + back.high[1] * 100 + back.high[2], 74 * 10101);
    EXPECT_TRUE(back.top >= 40 && back.bottom - back.top < 16) << back.top << " " << back.bottom;
    EXPECT_TRUE(front.top >= 200 && front.bottom - front.top >= 23 &&
                front.bottom - front.top < 39);
    const Ink middle = InkIn(106, 206, 110, 210);  // inside both blocks
    EXPECT_EQ(middle.count, 16);
    EXPECT_EQ(middle.high[0], 39 * 4 + 10);
    // Preview mode: nothing drawn or moved.
    ClearBackScreen();
    previewMode = true, frameDelta = 1;
    UpdateOverlay();
    EXPECT_EQ(InkIn(0, 0, 640, 480).count, 0);
    EXPECT_EQ(overlayLines[SLOT_INFO].y, 40.7f);
}

TEST_F(Display, TitleScreenShowsTheTitleThreeSecondsFadesItAndPlacesTheBlocks) {
    previewMode = true;  // in preview: nothing drawn, the blocks placed, a missing file reported
    config.TITLE = config.SHOW[SLOT_NEWS1] = runState = 1;
    std::strcpy(config.BLOCKFILE, "missing-block.x");
    unsigned long presents = presentCount;
    ClearBackScreen();
    RunTitleScreen();
    EXPECT_EQ(runState * 100 + presentCount - presents, 200u);
    EXPECT_EQ(InkIn(0, 0, 640, 480).count, 0);
    EXPECT_EQ(blockPositions[899][0] * 100 + blockPositions[899][1], 49 * 100 - 38);
    EXPECT_EQ(errors, std::vector<std::string>{"ka3D::LoadObject : Xファイルを読み込めません"});
    previewMode = false, config.SHOW[SLOT_NEWS1] = 0;
    config.SHOW[SLOT_NEWS2] = runState = 1, presents = presentCount;
    const DWORD start = timeGetTime();
    RunTitleScreen();
    EXPECT_GE(timeGetTime() - start, 4000u);  // three seconds of title, one of fade
    EXPECT_GE(presentCount - presents, 3u);   // the title, the fade (one picture at least), notice
    // The notice composed at half size stays in its box on one line, green and blue alike; red
    // only the eighth every blended pixel gets.
    const TitleTextPlace n = NewsNoticePlace(640, 480);
    const Ink notice = InkIn(0, 0, 640, 480);
    EXPECT_GT(notice.count, 300);
    EXPECT_TRUE(notice.left >= n.left && notice.top >= n.top && notice.bottom < n.top + n.size + 2);
    EXPECT_EQ(notice.high[0] * 1000 + notice.high[1], 255 / 8 * 1000 + notice.high[2]);
    errors.clear();  // the test program's folder has no block shapes
}

}  // namespace
