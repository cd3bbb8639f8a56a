// The display under Wine, windowed in the shared fixture's window: set-up, blits, presentation,
// the overlay lines and the title screen on real DirectDraw surfaces and GDI fonts (sprite text at
// twice its size, for the 2:1 reduction that smooths it); and the GDI present path's own surfaces,
// which give DirectDraw's pixels to locks, device contexts and keyed copies.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstring>

#include "display/win32/dib_surface.h"
#include "display/win32/title_screen.h"
#include "main_window_fixture.h"
#include "overlay/win32/fonts.h"
#include "overlay/win32/overlay.h"

using namespace kaDraw;

namespace {

// A rectangle of the back screen: of the pixels not black the count, bounds and largest red,
// green and blue.
struct Ink {
    int count = 0;
    int left = 1 << 30;
    int top = 1 << 30;
    int bottom = -1;
    int high[3] = {0, 0, 0};
    uint32_t last = 0;  // the last pixel read
};
Ink InkIn(int x0, int y0, int x1, int y1) {
    Ink ink;
    FlushBackScreenClear();  // a clear is only carried out before the next use of the surface
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (backScreen->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return ink;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint32_t v = static_cast<uint32_t*>(d.lpSurface)[y * d.lPitch / 4 + x] & 0xFFFFFF;
            ink.last = v;
            if (v == 0) continue;
            ink.count++;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            for (int i = 0; i < 3; ++i)
                ink.high[i] = std::max(ink.high[i], int(v >> (16 - 8 * i) & 255));
        }
    }
    backScreen->Unlock(d.lpSurface);
    return ink;
}

uint32_t PixelAt(int x, int y) {
    return InkIn(x, y, x + 1, y + 1).last;
}

void Fill(IDirectDrawSurface* s, RECT r, uint32_t colour) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = colour;
    ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

constexpr uint32_t red = 0xFF0000, green = 0xFF00, blue = 0xFF;

class Display : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        fullScreen = false;  // windowed: no display mode is set
        heldKey = 'A';
        result = Screen(640, 480, 1);
        ASSERT_NE(backScreen, nullptr);
        ASSERT_EQ(pixelFormat.bitsPerPixel, 32) << "the bench's desktop has 24-bit colour";
    }
    void TearDown() override {
        ReleaseFonts();
        MainWindowTest::TearDown();
    }
    // The screen sprite and the 3D picture: green, a red band of 10 columns at the left and a
    // black (transparent) square at 16..31.
    static void PaintSprites() {
        for (IDirectDrawSurface* s : {SpriteSurface(SPRITE_SCREEN), sprite3D}) {
            Fill(s, {0, 0, 640, 480}, green);
            Fill(s, {0, 0, 10, 480}, red);
            Fill(s, {16, 16, 32, 32}, 0);
        }
    }
    static void Place(int slot, int depth, int x, float y, const char* text) {
        config.SHOW[slot] = 1;
        overlayLines[slot] = {{}, depth, x, y};
        std::strcpy(slot == SLOT_MSG ? config.TEXT : overlayLines[slot].text, text);
    }
    int result = 0;
};

// A sprite record that holds no surface draws nothing (the clipping is the native BlitClip's).
TEST_F(Display, AFreeSpriteRecordDrawsNothing) {
    ClearBackScreen();
    BlitSpriteOpaque(0, 0, 77, 0, 0, 64, 48);
    EXPECT_EQ(InkIn(0, 0, 640, 480).count, 0);
}

TEST_F(Display, The3DPictureIsLaidOverAFilledScreenKeyedOnBlack) {
    PaintSprites();
    Fill(backScreen, {0, 0, 640, 480}, blue);
    Blit3DSprite(100, 100, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(100, 100), red);
    EXPECT_EQ(PixelAt(120, 120), blue);
    EXPECT_EQ(PixelAt(163, 147), green);
    EXPECT_EQ(PixelAt(164, 147), blue);
}

TEST_F(Display, ThePreviewShrinksThePictureIntoTheHostWindow) {
    const unsigned long before = presentCount;
    Fill(backScreen, {0, 0, 320, 480}, red);
    Fill(backScreen, {320, 0, 640, 480}, blue);
    previewMode = true;
    previewWidth = 160;
    previewHeight = 120;
    windowOrigin = {5, 7};
    Present();
    EXPECT_EQ(PixelAt(40, 60), red);
    EXPECT_EQ(PixelAt(120, 60), blue);
    EXPECT_EQ(PixelAt(200, 60), red);  // outside the shrunk copy: unchanged
    EXPECT_EQ(presentSource.right, 160);
    EXPECT_EQ(presentSource.bottom, 120);
    const RECT dest = {5, 7, 165, 127};
    EXPECT_TRUE(EqualRect(&presentDest, &dest));
    EXPECT_EQ(presentCount - before, 1u);
}

TEST_F(Display, ASetUpThatFailsPartWayIsReportedOnceAndDrawsNothing) {
    ReleaseFonts();
    Release();
    const unsigned long before = presentCount;
    EXPECT_EQ(Screen(0, 0, 1), 0);  // no back screen 0 pixels wide
    EXPECT_EQ(errors, std::vector<std::string>{"kaDraw::Screen : 裏画面が生成できません"});
    errors.clear();
    EXPECT_NE(frontScreen, nullptr);
    EXPECT_EQ(sprite3D, nullptr);
    Present();
    EXPECT_EQ(ClearBackScreen(), DDERR_NOTINITIALIZED);
    EXPECT_EQ(presentCount, before);
}

TEST_F(Display, AnOverlayLineIsGreyByItsDepth) {
    Place(SLOT_INFO, 16, 20, 40.7f, "■");
    ClearBackScreen();
    UpdateOverlay();
    const Ink ink = InkIn(0, 0, 640, 480);
    EXPECT_EQ(ink.high[0], 74);
    EXPECT_EQ(ink.high[1], 74);
    EXPECT_EQ(ink.high[2], 74);
}

TEST_F(Display, AnOverlayLineIsTallerTheNearerItIs) {
    Place(SLOT_INFO, 16, 20, 40.7f, "■");
    Place(SLOT_MSG, 39, 100, 200, "■");
    ClearBackScreen();
    UpdateOverlay();
    const Ink back = InkIn(0, 0, 640, 150);
    const Ink front = InkIn(0, 150, 640, 480);
    EXPECT_GE(back.top, 40);
    EXPECT_LT(back.bottom - back.top, 16);
    EXPECT_GE(front.top, 200);
    EXPECT_GE(front.bottom - front.top, 23);
    EXPECT_LT(front.bottom - front.top, 39);
}

TEST_F(Display, TheTitleShowsThreeSecondsFadesForOneAndLeavesTheNewsNotice) {
    config.TITLE = 1;
    config.SHOW[SLOT_NEWS2] = 1;
    runState = RUN_TITLE;
    const unsigned long before = presentCount;
    const DWORD start = timeGetTime();
    RunTitleScreen();
    EXPECT_GE(timeGetTime() - start, 4000u);
    EXPECT_GE(presentCount - before, 3u);  // the title, the fade (one picture at least), notice
    // The notice composed at half size stays in its box on one line; green and blue alike, red
    // only the eighth every blended pixel gets.
    const TitleTextPlace place = NewsNoticePlace(640, 480);
    const Ink notice = InkIn(0, 0, 640, 480);
    EXPECT_GT(notice.count, 300);
    EXPECT_GE(notice.left, place.left);
    EXPECT_GE(notice.top, place.top);
    EXPECT_LT(notice.bottom, place.top + place.size + 2);
    EXPECT_EQ(notice.high[0], 31);
    EXPECT_EQ(notice.high[1], notice.high[2]);
    errors.clear();  // the test program's folder has no block shapes
}

TEST(Fonts, SpriteTextIsDrawnAtTwiceItsSize) {
    InitFonts();
    BeginSpriteText(2, 24);
    EXPECT_EQ(FontDesc->lfHeight, 48);
    EndSpriteText();
    ReleaseFonts();
}

IDirectDrawSurface* Make(int width, int height, DWORD caps = DDSCAPS_OFFSCREENPLAIN) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = caps | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = width;
    desc.dwHeight = height;
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(CreateOwnSurface(desc, &surface), DD_OK);
    return surface;
}

uint32_t Pixel(IDirectDrawSurface* s, int x, int y) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEADBEEF;
    const uint32_t v = static_cast<uint32_t*>(d.lpSurface)[y * d.lPitch / 4 + x] & 0xFFFFFF;
    s->Unlock(d.lpSurface);
    return v;
}

TEST(OwnSurface, LockDescribesTopDownX8R8G8B8) {
    IDirectDrawSurface* s = Make(8, 4);
    ASSERT_NE(s, nullptr);
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(d.lPitch, 32);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0xFF0000u);
    EXPECT_EQ(d.ddpfPixelFormat.dwGBitMask, 0xFF00u);
    EXPECT_EQ(d.ddpfPixelFormat.dwBBitMask, 0xFFu);
    s->Unlock(d.lpSurface);
    s->Release();
}

TEST(OwnSurface, GdiDrawingShowsInTheLockedPixels) {
    IDirectDrawSurface* s = Make(8, 4);
    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    SetPixel(dc, 2, 1, RGB(10, 20, 30));
    ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(Pixel(s, 2, 1), 0x0A141Eu);
    EXPECT_EQ(Pixel(s, 2, 2), 0u);
    s->Release();
}

TEST(OwnSurface, KeyedCopyLeavesTheKeyColourOut) {
    IDirectDrawSurface* source = Make(4, 1);
    IDirectDrawSurface* target = Make(8, 4);
    ASSERT_EQ(SetSourceColorKey(source, RGB(0, 0, 0)), DD_OK);
    Fill(source, {1, 0, 2, 1}, 0xFF0000);
    Fill(target, {0, 0, 8, 4}, 0x0000FF);
    RECT from = {0, 0, 4, 1};
    ASSERT_EQ(target->BltFast(3, 2, source, &from, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Pixel(target, 3, 2), 0x0000FFu);
    EXPECT_EQ(Pixel(target, 4, 2), 0xFF0000u);
    EXPECT_EQ(Pixel(target, 5, 2), 0x0000FFu);
    source->Release();
    target->Release();
}

TEST(OwnSurface, CopyReachingOutsideIsRefusedAndDrawsNothing) {
    IDirectDrawSurface* source = Make(4, 4);
    IDirectDrawSurface* target = Make(8, 4);
    Fill(source, {0, 0, 4, 4}, 0xFFFFFF);
    RECT from = {0, 0, 4, 4};
    EXPECT_EQ(target->BltFast(6, 0, source, &from, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(Pixel(target, 6, 0), 0u);
    source->Release();
    target->Release();
}

}  // namespace
