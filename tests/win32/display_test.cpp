// The display and its text on real DirectDraw surfaces and GDI fonts under Wine,
// windowed in the shared fixture's window: set-up, pixel format, colour match, clipped and keyed
// blits, presentation, the 3D render hook, failures and release, the title screen.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstring>

#include "display/win32/title_screen.h"
#include "game/blocks.h"
#include "main_window_fixture.h"
#include "overlay/win32/compose_text.h"
#include "overlay/win32/fonts.h"
#include "scene3d/ka3d.h"

using namespace kaDraw;

namespace {

// The colour bits of a pixel (the unused top byte of a 32-bit pixel is left out).
uint32_t PixelAt(IDirectDrawSurface* s, int x, int y) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEADBEEF;
    const int bits = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount);
    uint32_t v =
        ReadRawPixel(static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch + x * bits / 8, bits);
    v &= d.ddpfPixelFormat.dwRBitMask | d.ddpfPixelFormat.dwGBitMask | d.ddpfPixelFormat.dwBBitMask;
    s->Unlock(d.lpSurface);
    return v;
}

void Fill(IDirectDrawSurface* s, RECT r, uint32_t raw) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = raw;
    ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

// The pixels of a rectangle that are not black: how many, their bounding box, the largest
// value of each channel in its top five (16 bits) or eight bits.
struct Ink {
    int count = 0, left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int top5or8[3] = {0, 0, 0};
};
Ink InkIn(int x0, int y0, int x1, int y1, IDirectDrawSurface* s = backScreen) {
    Ink ink;
    const uint32_t masks[3] = {pixelFormat.redMask, pixelFormat.greenMask, pixelFormat.blueMask};
    const int shifts[3] = {pixelFormat.redShift, pixelFormat.greenShift, pixelFormat.blueShift};
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return ink;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch +
                               x * pixelFormat.bitsPerPixel / 8;
            const uint32_t v =
                ReadRawPixel(p, pixelFormat.bitsPerPixel) & (masks[0] | masks[1] | masks[2]);
            if (v == 0) continue;
            ++ink.count;
            ink.left = std::min(ink.left, x), ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x), ink.bottom = std::max(ink.bottom, y);
            for (int i = 0; i < 3; ++i) {
                int c = static_cast<int>((v & masks[i]) >> shifts[i]);
                if (pixelFormat.bitsPerPixel == 16) c >>= __builtin_popcount(masks[i]) - 5;
                ink.top5or8[i] = std::max(ink.top5or8[i], c);
            }
        }
    }
    s->Unlock(d.lpSurface);
    return ink;
}

class Display : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ShowWindow(window, SW_SHOWNOACTIVATE);
        fullScreen = false;  // windowed: no display mode is set
        heldKey = 0x41;
        result = Screen(640, 480, 1);
        ASSERT_NE(backScreen, nullptr);
        ASSERT_TRUE(pixelFormat.bitsPerPixel == 16 || pixelFormat.bitsPerPixel == 32);
        InitFonts();
        red = pixelFormat.redMask, green = pixelFormat.greenMask, blue = pixelFormat.blueMask;
    }
    void TearDown() override {
        ReleaseFonts();
        MainWindowTest::TearDown();
    }
    int result = 0;
    uint32_t red = 0, green = 0, blue = 0;
};

DDSURFACEDESC Describe(IDirectDrawSurface* s) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    s->GetSurfaceDesc(&d);
    return d;
}

TEST_F(Display, WindowedSetUpCreatesEverySurfaceAndRecord) {
    EXPECT_EQ(result, soundAvailable ? 1 : 0);
    EXPECT_EQ(heldKey, 0);  // the input reset ran
    ASSERT_TRUE(frontScreen && sprite3D && zBuffer && clipper);
    IDirectDrawClipper* set = nullptr;
    ASSERT_EQ(frontScreen->GetClipper(&set), DD_OK);
    EXPECT_EQ(set, clipper);
    set->Release();
    HWND bound = nullptr;
    clipper->GetHWnd(&bound);
    EXPECT_EQ(bound, window);
    for (IDirectDrawSurface* s :
         {backScreen, sprite3D, zBuffer, sprites[0].surface, sprites[3].surface}) {
        const DDSURFACEDESC d = Describe(s);
        EXPECT_EQ(d.dwWidth * 1000 + d.dwHeight, 640480u);
        EXPECT_TRUE(d.ddsCaps.dwCaps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_ZBUFFER));
    }
    EXPECT_EQ(static_cast<int>(Describe(zBuffer).dwZBufferBitDepth), ka3D::ZBufferDepth());
    DDSCAPS zcaps = {DDSCAPS_ZBUFFER};
    IDirectDrawSurface* attached = nullptr;
    ASSERT_EQ(sprite3D->GetAttachedSurface(&zcaps, &attached), DD_OK);
    EXPECT_EQ(attached, zBuffer);
    attached->Release();
    for (IDirectDrawSurface* s : {sprite3D, sprites[0].surface, sprites[1].surface,
                                  sprites[2].surface, sprites[3].surface}) {
        DDCOLORKEY key = {1, 1};  // keyed on black
        ASSERT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue + key.dwColorSpaceHighValue, 0u);
    }
    EXPECT_TRUE(!sprites[4].surface && !sprites[kSpriteCount - 1].surface);
    EXPECT_EQ(SpriteSurface(-1), nullptr);
    EXPECT_EQ(SpriteSurface(kSpriteCount), nullptr);
    // The pixel format record follows the desktop: 5-6-5 or 8-8-8.
    const int want16[6] = {11, 11, 5, 6, 0, 0}, want32[6] = {16, 16, 8, 8, 0, 0};
    const int got[6] = {pixelFormat.redShift,    pixelFormat.red5Shift, pixelFormat.greenShift,
                        pixelFormat.green5Shift, pixelFormat.blueShift, pixelFormat.blue5Shift};
    EXPECT_EQ(std::memcmp(got, ScreenDepth() == 16 ? want16 : want32, sizeof got), 0);
}

TEST_F(Display, ColorMatchGivesRawValuesAndLeavesTheCornerAsItWas) {
    EXPECT_EQ(ColorMatch(backScreen, RGB(255, 255, 255)), red | green | blue);
    EXPECT_EQ(ColorMatch(backScreen, RGB(255, 0, 0)), red);
    EXPECT_EQ(ColorMatch(backScreen, 0), 0u);
    Fill(backScreen, {0, 0, 1, 1}, green);
    ColorMatch(backScreen, RGB(255, 255, 255));
    EXPECT_EQ(PixelAt(backScreen, 0, 0), green);
    EXPECT_EQ(ColorMatch(backScreen, CLR_INVALID), green);  // reads the corner as it stands
    EXPECT_EQ(ColorMatch(nullptr, 0), 0xFFFFFFFFu);
}

TEST_F(Display, BlitsAreClippedToTheScreenAndKeyedBlitsLeaveBlackTransparent) {
    IDirectDrawSurface* s = SpriteSurface(SPRITE_SCREEN);
    Fill(s, {0, 0, 640, 480}, green);
    Fill(s, {0, 0, 10, 480}, red);
    ClearBackScreen();
    BlitSpriteOpaque(-10, 20, SPRITE_SCREEN, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(backScreen, 0, 20), green);  // source column 10 lands on column 0
    EXPECT_EQ(PixelAt(backScreen, 53, 67), green);
    EXPECT_EQ(PixelAt(backScreen, 54, 20) + PixelAt(backScreen, 0, 19) + PixelAt(backScreen, 0, 68),
              0u);
    ClearBackScreen();
    BlitSpriteOpaque(620, 470, SPRITE_SCREEN, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(backScreen, 620, 470), red);
    EXPECT_EQ(PixelAt(backScreen, 639, 479), green);
    ClearBackScreen();
    BlitSpriteOpaque(640, 0, SPRITE_SCREEN, 0, 0, 64, 48);  // on or beyond an edge, a free record
    BlitSpriteOpaque(0, 480, SPRITE_SCREEN, 0, 0, 64, 48);
    BlitSpriteOpaque(0, 0, 77, 0, 0, 64, 48);
    EXPECT_EQ(InkIn(0, 0, 640, 1).count + InkIn(0, 479, 640, 480).count, 0);
    Fill(s, {16, 16, 32, 32}, 0);
    Fill(backScreen, {0, 0, 640, 480}, blue);
    BlitSpriteKeyed(100, 100, SPRITE_SCREEN, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(backScreen, 100, 100), red);
    EXPECT_EQ(PixelAt(backScreen, 120, 120), blue);
    Fill(sprite3D, {0, 0, 640, 480}, 0);
    Fill(sprite3D, {300, 200, 340, 240}, red);
    Blit3DSprite(0, 0, 0, 0, 640, 480);
    EXPECT_EQ(PixelAt(backScreen, 310, 210), red);
    EXPECT_EQ(PixelAt(backScreen, 10, 10), blue);
    EXPECT_EQ(ClearSprite(SPRITE_FONT), DD_OK);
    EXPECT_EQ(ClearSprite(4), DDERR_NOTINITIALIZED);
    EXPECT_EQ(ClearSprite(kSpriteCount), DDERR_NOTINITIALIZED);
}

TEST_F(Display, PresentCountsFramesThePreviewShrinksTheWholePictureAndRenderUsesTheFormat) {
    const unsigned long before = presentCount;
    Fill(backScreen, {0, 0, 320, 480}, red);
    Fill(backScreen, {320, 0, 640, 480}, blue);
    previewMode = true;
    previewWidth = 160;
    previewHeight = 120;
    windowOrigin = {5, 7};
    Present();
    EXPECT_EQ(PixelAt(backScreen, 40, 60), red);
    EXPECT_EQ(PixelAt(backScreen, 120, 60), blue);
    EXPECT_EQ(PixelAt(backScreen, 200, 60), red);  // outside the shrunk copy: unchanged
    EXPECT_EQ(presentSource.right * 1000 + presentSource.bottom, 160120);
    EXPECT_EQ(presentDest.left * 1000 + presentDest.top, 5007);
    EXPECT_EQ(presentDest.right * 1000 + presentDest.bottom, 165127);
    previewWidth = 2000;  // a host larger than the display: shown at the display's size
    previewHeight = 100;
    Present();
    EXPECT_EQ(presentSource.right * 1000 + presentSource.bottom, 640100);
    EXPECT_EQ(presentCount, before + 2);
    ka3D::SetBackground(0, 0, 1);
    ASSERT_EQ(ka3D::CreateCamera(1, 0, 0, 640, 480), 1);
    Fill(sprite3D, {0, 0, 640, 480}, red);
    ka3D::Render();
    UnlockRenderSurfaces();  // the render keeps the 3D sprite locked for the overlay
    EXPECT_EQ(PixelAt(sprite3D, 320, 240), blue);
    ka3D::SetBackground(0, 0, 0);
    Release();  // afterwards nothing is left and nothing is drawn
    EXPECT_TRUE(!directDraw && !frontScreen && !backScreen && !sprite3D && !zBuffer && !clipper &&
                !sprites[0].surface);
    PresentGameFrame();
    Present();
    ka3D::Render();
    EXPECT_EQ(ClearBackScreen(), DDERR_NOTINITIALIZED);
    EXPECT_EQ(presentCount, before + 2);
}

TEST_F(Display, AFailingSetUpIsReportedOnceAndLeavesNothingHalfUsed) {
    ReleaseFonts();
    Release();
    EXPECT_EQ(Screen(0, 0, 1), 0);  // no back screen 0 pixels wide
    ASSERT_EQ(ErrorReports().size(), 1u);
    EXPECT_EQ(ErrorReports()[0], std::string("kaDraw::Screen : ") + "裏画面が生成できません");
    ErrorReports().clear();
    EXPECT_TRUE(frontScreen && !backScreen && !sprite3D);
    const unsigned long before = presentCount;
    PresentGameFrame();
    Present();
    EXPECT_EQ(ClearSprite(SPRITE_BUFFER), DDERR_NOTINITIALIZED);
    EXPECT_EQ(presentCount, before);
    Release();
    fullScreen = true;  // a full-screen mode that cannot be set ends the set-up without a message
    EXPECT_EQ(Screen(1234, 567, 1), 0);
    EXPECT_TRUE(ErrorReports().empty() && directDraw && !frontScreen);
    Release();
    fullScreen = false;
}

TEST_F(Display, FontsReachARealJapaneseFaceAndTextLandsOnlyWhereItIs) {
    BeginSpriteText(2, 24);
    EXPECT_EQ(FontDesc->lfHeight * 1000 + FontDesc->lfWeight, 48400);
    EXPECT_STREQ(FontDesc->lfFaceName, "ＭＳＰ ゴシック");
    SIZE s = {0, 0};
    GetTextExtentPoint32A(textDC, "あ", 2, &s);
    EXPECT_TRUE(s.cy >= 46 && s.cy <= 50 && s.cx > 30) << s.cx << "x" << s.cy;
    EndSpriteText();
    BeginText(1, 20, 90, 1, 1, 1);
    EXPECT_STREQ(FontDesc->lfFaceName, "標準ゴシック");
    EXPECT_EQ(FontDesc->lfWeight * 10000 + FontDesc->lfEscapement * 10 + FontDesc->lfItalic,
              7009001);
    EndText();
    BeginText(2, 20, 0, 0, 0, 0);  // a Begin while another is open gives the first context back
    BeginSpriteText(2, 24);
    EndSpriteText();
    ClearBackScreen();
    BeginText(2, 24, 0, 0, 0, 0);
    SetTextColors(RGB(255, 255, 255), 0, 1);
    PutText(100, 100, "■■");
    EndText();
    Ink ink = InkIn(0, 0, 640, 480);
    EXPECT_GT(ink.count, 100);
    EXPECT_TRUE(ink.left >= 100 && ink.top >= 100 && ink.right < 160 && ink.bottom < 124);
    // The title line composed at half size lands in its box in full white, on one line.
    const TitleTextPlace p = TitleLinePlace(640, 480);
    ClearBackScreen();
    BeginSpriteText(2, p.size);
    SetTextColors(RGB(255, 255, 255), 0, 1);
    ComposeText(p.left, p.top, p.right, p.bottom, kTitleLine);
    EndSpriteText();
    Ink inside = InkIn(p.left, p.top, 640, p.top + 24);
    EXPECT_GT(inside.count, 500);
    EXPECT_EQ(InkIn(0, 0, 640, p.top).count + InkIn(0, 0, p.left, 480).count +
                  InkIn(0, p.top + p.size + 2, 640, 480).count,
              0);
    const int full = pixelFormat.bitsPerPixel == 16 ? 31 : 255;
    EXPECT_EQ(inside.top5or8[0] + inside.top5or8[1] + inside.top5or8[2], 3 * full);
    TitleTextPlace t = TitleLinePlace(1024, 768);
    EXPECT_EQ(std::vector<int>({t.left, t.top, t.right, t.bottom, t.size}),
              std::vector<int>({256, 345, 1024, 768, 38}));
}

TEST_F(Display, TitleScreenFadesOverFourSecondsAndPlacesTheBlocks) {
    previewMode = true;  // in preview: nothing drawn, the blocks placed, a missing file reported
    config.TITLE = 1;
    config.SHOW[SLOT_NEWS1] = 1;
    std::strcpy(config.BLOCKFILE, "missing-block.x");
    runState = 1;
    ClearBackScreen();
    unsigned long presents = presentCount;
    RunTitleScreen();
    EXPECT_EQ(runState, 2);
    EXPECT_EQ(presentCount, presents);
    EXPECT_EQ(InkIn(0, 0, 640, 480).count, 0);
    EXPECT_EQ(std::vector<int>({blockPositions[0][0], blockPositions[0][1], blockPositions[899][0],
                                blockPositions[899][1]}),
              std::vector<int>({-9, 20, 49, -38}));
    ASSERT_EQ(ErrorReports().size(), 1u);
    EXPECT_EQ(ErrorReports()[0], "ka3D::LoadObject : Xファイルを読み込めません");
    ErrorReports().clear();
    previewMode = false;
    config.SHOW[SLOT_NEWS1] = 0;
    config.SHOW[SLOT_NEWS2] = 1;
    std::strcpy(config.BLOCKFILE, "koraven.x");
    runState = 1;
    presents = presentCount;
    const DWORD start = timeGetTime();
    RunTitleScreen();
    EXPECT_GE(timeGetTime() - start, 4000u);  // three seconds of title, one of fade
    EXPECT_GE(presentCount - presents,
              3u);  // the title, the fade (at least one picture), the notice
    // The notice stays, green and blue alike; red only the eighth every blended pixel gets.
    const TitleTextPlace n = NewsNoticePlace(640, 480);
    Ink notice = InkIn(0, 0, 640, 480);
    ASSERT_GT(notice.count, 0);
    EXPECT_TRUE(notice.left >= n.left && notice.top >= n.top);
    EXPECT_EQ(notice.top5or8[0], pixelFormat.bitsPerPixel == 16 ? 31 / 8 : 255 / 8);
    EXPECT_EQ(notice.top5or8[1], notice.top5or8[2]);
    ErrorReports().clear();  // the test program's folder has no block shapes
}

}  // namespace
