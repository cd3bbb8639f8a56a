// The display and its text on real DirectDraw surfaces and GDI fonts under Wine, windowed in the
// shared fixture's window: set-up, colour match, clipped and keyed blits, the processor's frame
// against the blitter's, presentation, failures and release, fonts, the overlay lines and the
// title screen.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstring>

#include "display/win32/title_screen.h"
#include "game/blocks.h"
#include "main_window_fixture.h"
#include "overlay/news_lines.h"
#include "overlay/win32/compose_text.h"
#include "overlay/win32/fonts.h"
#include "overlay/win32/overlay.h"
#include "scene3d/box_mesh.h"
#include "scene3d/demo_scene.h"
#include "scene3d/ka3d.h"

using namespace kaDraw;

namespace {

// The pixels of a rectangle whose colour bits are not 0: how many, their bounding box, the
// largest value of each channel in its top five (16 bits) or eight bits, and every pixel's bytes.
struct Ink {
    int count = 0, left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int high[3] = {0, 0, 0};
    std::vector<uint8_t> bytes;
};
Ink InkIn(int x0, int y0, int x1, int y1, IDirectDrawSurface* s = backScreen) {
    Ink ink;
    const uint32_t masks[3] = {pixelFormat.redMask, pixelFormat.greenMask, pixelFormat.blueMask};
    const int shifts[3] = {pixelFormat.redShift, pixelFormat.greenShift, pixelFormat.blueShift};
    const int bytes = pixelFormat.bitsPerPixel / 8;
    FlushBackScreenClear();  // a clear is only carried out before the next use of the surface
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return ink;
    for (int y = y0; y < y1; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch;
        ink.bytes.insert(ink.bytes.end(), row + x0 * bytes, row + x1 * bytes);
        for (int x = x0; x < x1; ++x) {
            const uint32_t v = ReadRawPixel(row + x * bytes, pixelFormat.bitsPerPixel);
            if ((v & (masks[0] | masks[1] | masks[2])) == 0) continue;
            ++ink.count;
            ink.left = std::min(ink.left, x), ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x), ink.bottom = std::max(ink.bottom, y);
            for (int i = 0; i < 3; ++i) {
                int c = static_cast<int>((v & masks[i]) >> shifts[i]);
                if (bytes == 2) c >>= __builtin_popcount(masks[i]) - 5;
                ink.high[i] = std::max(ink.high[i], c);
            }
        }
    }
    s->Unlock(d.lpSurface);
    return ink;
}

uint32_t PixelAt(IDirectDrawSurface* s, int x, int y) {
    const Ink ink = InkIn(x, y, x + 1, y + 1, s);
    return ReadRawPixel(ink.bytes.data(), pixelFormat.bitsPerPixel) &
           (pixelFormat.redMask | pixelFormat.greenMask | pixelFormat.blueMask);
}

// A grey of 8 bits as InkIn reports it.
int Grey(int v) {
    return pixelFormat.bitsPerPixel == 16 ? v >> 3 : v;
}

void Fill(IDirectDrawSurface* s, RECT r, uint32_t raw) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = raw;
    ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
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
        red = pixelFormat.redMask, green = pixelFormat.greenMask, blue = pixelFormat.blueMask;
    }
    void TearDown() override {
        ka3D::Release();
        ReleaseFonts();
        MainWindowTest::TearDown();
    }
    static void Place(int slot, int depth, int x, float y, const char* text) {
        config.SHOW[slot] = 1;
        overlayLines[slot].depth = depth;
        overlayLines[slot].x = x;
        overlayLines[slot].y = y;
        std::strcpy(slot == SLOT_MSG ? config.TEXT : overlayLines[slot].text, text);
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

TEST_F(Display, WindowedSetUpCreatesEverySurfaceAndRecordAndColourMatchReadsThem) {
    EXPECT_EQ(result, soundAvailable ? 1 : 0);
    EXPECT_EQ(heldKey, 0);  // the input reset ran
    ASSERT_TRUE(frontScreen && sprite3D && zBuffer && clipper && FontDesc);
    IDirectDrawClipper* set = nullptr;
    ASSERT_EQ(frontScreen->GetClipper(&set), DD_OK);
    HWND bound = nullptr;
    set->GetHWnd(&bound);
    set->Release();
    EXPECT_TRUE(set == clipper && bound == window);
    for (IDirectDrawSurface* s : {backScreen, sprite3D, zBuffer, sprites[0].surface}) {
        const DDSURFACEDESC d = Describe(s);
        EXPECT_EQ(d.dwWidth * 1000 + d.dwHeight, 640480u);
        EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
    }
    EXPECT_EQ(static_cast<int>(Describe(zBuffer).dwZBufferBitDepth), ka3D::ZBufferDepth());
    DDSCAPS zcaps = {DDSCAPS_ZBUFFER};
    IDirectDrawSurface* attached = nullptr;
    ASSERT_EQ(sprite3D->GetAttachedSurface(&zcaps, &attached), DD_OK);
    EXPECT_EQ(attached, zBuffer);
    attached->Release();
    for (IDirectDrawSurface* s : {sprite3D, sprites[0].surface, sprites[3].surface}) {
        DDCOLORKEY key = {1, 1};  // keyed on black
        ASSERT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue + key.dwColorSpaceHighValue, 0u);
    }
    EXPECT_TRUE(!sprites[4].surface && !SpriteSurface(-1) && !SpriteSurface(kSpriteCount));
    EXPECT_EQ(pixelFormat.bitsPerPixel, ScreenDepth() == 16 ? 16 : 32);
    EXPECT_EQ((red >> pixelFormat.redShift) + (green >> pixelFormat.greenShift) +
                  (blue >> pixelFormat.blueShift),
              pixelFormat.bitsPerPixel == 16 ? 125u : 765u);
    // Colour match: the raw value of a colour, and the corner pixel left as it was.
    EXPECT_EQ(ColorMatch(backScreen, RGB(255, 255, 255)), red | green | blue);
    EXPECT_EQ(ColorMatch(backScreen, RGB(255, 0, 0)), red);
    Fill(backScreen, {0, 0, 1, 1}, green);
    EXPECT_EQ(ColorMatch(backScreen, 0), 0u);
    EXPECT_EQ(PixelAt(backScreen, 0, 0), green);
    EXPECT_EQ(ColorMatch(backScreen, CLR_INVALID), green);  // reads the corner as it stands
    EXPECT_EQ(ColorMatch(nullptr, 0), 0xFFFFFFFFu);
}

TEST_F(Display, BlitsAreClippedAndKeyedAndTheProcessorsFrameEqualsTheBlitters) {
    IDirectDrawSurface* s = SpriteSurface(SPRITE_SCREEN);
    Fill(s, {0, 0, 640, 480}, green);
    Fill(s, {0, 0, 10, 480}, red);
    Fill(s, {16, 16, 32, 32}, 0);
    ClearBackScreen();
    BlitSpriteOpaque(-10, 20, SPRITE_SCREEN, 0, 0, 64, 48);
    BlitSpriteOpaque(0, 480, SPRITE_SCREEN, 0, 0, 64, 48);  // beyond an edge; a free record
    BlitSpriteOpaque(0, 0, 77, 0, 0, 64, 48);
    const Ink ink = InkIn(0, 0, 640, 480);
    EXPECT_EQ(ink.count, 54 * 48 - 16 * 16);  // source column 10 lands on column 0
    EXPECT_EQ(ink.left * 1000 + ink.top, 20);
    EXPECT_EQ(PixelAt(backScreen, 0, 20), green);
    Fill(backScreen, {0, 0, 640, 480}, blue);
    BlitSpriteKeyed(100, 100, SPRITE_SCREEN, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(backScreen, 100, 100), red);
    EXPECT_EQ(PixelAt(backScreen, 120, 120), blue);
    EXPECT_EQ(ClearSprite(4), DDERR_NOTINITIALIZED);

    // Black fill, overlay text, the 3D picture keyed over it: composed by the processor through
    // the calls of a game frame, and with DirectDraw's blitter. Every byte must agree.
    ka3D::Mesh box;
    ka3D::BuildBoxMesh(0.95f, &box);
    ka3D::Frame* frames[ka3D::kDemoBlocks] = {};
    ka3D::BuildDemoScene(box, 640, 480, 10, 20, 12, frames);
    ka3D::DemoOrbit(35.0f, 45.0f);
    const struct {
        bool text;
        int x, y, left, top, right, bottom;
    } cases[] = {{false, 0, 0, 0, 0, 640, 480},
                 {true, 0, 0, 0, 0, 640, 480},
                 {true, -10, 20, 0, 0, 640, 480},
                 {false, 100, 50, 10, 10, 300, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << c.text << " at " << c.x << "," << c.y);
        std::vector<uint8_t> frame[2];
        for (int blitter = 0; blitter < 2; ++blitter) {
            ClearBackScreen();  // the processor's frame takes the clear pending into its copy
            if (blitter) FlushBackScreenClear();
            if (c.text) {
                BeginText(1, 48, 0, 1, 0, 0);
                SetTextColors(RGB(200, 220, 255), 0, 1);
                PutText(10, 180, "KORAVEN 12:34:56");
                PutText(300, 380, "ニュース読み込み中");
                EndText();
            }
            ka3D::Render();
            if (!blitter) {
                Blit3DSprite(c.x, c.y, c.left, c.top, c.right, c.bottom);
                frame[0] = InkIn(0, 0, 640, 480).bytes;
                continue;
            }
            UnlockRenderSurfaces();
            int x = c.x, y = c.y;
            BlitRect src = {c.left, c.top, c.right, c.bottom};
            ASSERT_TRUE(ClipBlit(x, y, src, {0, 0, 640, 480}));
            RECT r = {src.left, src.top, src.right, src.bottom};
            ASSERT_EQ(
                backScreen->BltFast(x, y, sprite3D, &r, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
                DD_OK);
            frame[1] = InkIn(0, 0, 640, 480).bytes;
        }
        EXPECT_GT(frame[1].size() - std::count(frame[1].begin(), frame[1].end(), 0), 1000u);
        EXPECT_TRUE(frame[0] == frame[1]);
    }
}

TEST_F(Display, PresentCountsFramesThePreviewShrinksTheWholePictureAndReleaseEndsDrawing) {
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
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "kaDraw::Screen : 裏画面が生成できません");
    errors.clear();
    EXPECT_TRUE(frontScreen && !backScreen && !sprite3D);
    const unsigned long before = presentCount;
    PresentGameFrame();
    Present();
    EXPECT_EQ(ClearSprite(SPRITE_BUFFER), DDERR_NOTINITIALIZED);
    EXPECT_EQ(presentCount, before);
}

TEST_F(Display, FontsReachARealJapaneseFaceAndTextLandsOnlyWhereItIs) {
    BeginSpriteText(2, 24);
    EXPECT_EQ(FontDesc->lfHeight * 1000 + FontDesc->lfWeight, 48400);
    EXPECT_STREQ(FontDesc->lfFaceName, "ＭＳＰ ゴシック");
    SIZE s = {0, 0};
    GetTextExtentPoint32A(textDC, "あ", 2, &s);
    EXPECT_TRUE(s.cy >= 46 && s.cy <= 50 && s.cx > 30) << s.cx << "x" << s.cy;
    BeginText(1, 20, 90, 1, 1, 1);  // a Begin while another is open gives the first context back
    EXPECT_STREQ(FontDesc->lfFaceName, "標準ゴシック");
    EXPECT_EQ(FontDesc->lfWeight * 10000 + FontDesc->lfEscapement * 10 + FontDesc->lfItalic,
              7009001);
    EndText();
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
    ink = InkIn(0, 0, 640, 480);
    EXPECT_GT(ink.count, 500);
    EXPECT_TRUE(ink.left >= p.left && ink.top >= p.top && ink.bottom < p.top + p.size + 2);
    EXPECT_EQ(ink.high[0] + ink.high[1] + ink.high[2], 3 * Grey(255));
    const TitleTextPlace t = TitleLinePlace(1024, 768);
    EXPECT_EQ(std::vector<int>({t.left, t.top, t.right, t.bottom, t.size}),
              std::vector<int>({256, 345, 1024, 768, 38}));
}

TEST_F(Display, OverlayLinesTakeGreyAndHeightFromTheirDepthNearerOverFartherNoneInPreview) {
    Place(SLOT_INFO, 16, 20, 40.7f, "■■ KORAVEN");
    Place(SLOT_MSG, 39, 100, 200, "■");
    Place(SLOT_NEWS1, 16, 100, 200, "■");  // its fetch not due
    NewsCountdown[0] = 1000;
    ClearBackScreen();
    UpdateOverlay();
    const Ink back = InkIn(0, 0, 640, 150), front = InkIn(0, 150, 640, 480);
    EXPECT_EQ(back.high[0] * 10000 + back.high[1] * 100 + back.high[2], Grey(74) * 10101);
    EXPECT_TRUE(back.top >= 40 && back.bottom - back.top < 16) << back.top << " " << back.bottom;
    EXPECT_TRUE(front.top >= 200 && front.bottom - front.top >= 23 &&
                front.bottom - front.top < 39);
    const Ink middle = InkIn(106, 206, 110, 210);  // inside both blocks
    EXPECT_EQ(middle.count, 16);
    EXPECT_EQ(middle.high[0], Grey(39 * 4 + 10));
    // Preview mode: nothing drawn, moved or written.
    ClearBackScreen();
    previewMode = true;
    frameDelta = 1;
    UpdateOverlay();
    EXPECT_EQ(InkIn(0, 0, 640, 480).count, 0);
    EXPECT_EQ(overlayLines[SLOT_INFO].y, 40.7f);
}

TEST_F(Display, TitleScreenShowsTheTitleThreeSecondsFadesItAndPlacesTheBlocks) {
    previewMode = true;  // in preview: nothing drawn, the blocks placed, a missing file reported
    config.TITLE = 1;
    config.SHOW[SLOT_NEWS1] = 1;
    std::strcpy(config.BLOCKFILE, "missing-block.x");
    runState = 1;
    unsigned long presents = presentCount;
    ClearBackScreen();
    RunTitleScreen();
    EXPECT_EQ(runState * 100 + presentCount - presents, 200u);
    EXPECT_EQ(InkIn(0, 0, 640, 480).count, 0);
    EXPECT_EQ(std::vector<int>({blockPositions[0][0], blockPositions[0][1], blockPositions[899][0],
                                blockPositions[899][1]}),
              std::vector<int>({-9, 20, 49, -38}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "ka3D::LoadObject : Xファイルを読み込めません");
    previewMode = false;
    config.SHOW[SLOT_NEWS1] = 0;
    config.SHOW[SLOT_NEWS2] = 1;
    runState = 1;
    presents = presentCount;
    const DWORD start = timeGetTime();
    RunTitleScreen();
    EXPECT_GE(timeGetTime() - start, 4000u);  // three seconds of title, one of fade
    EXPECT_GE(presentCount - presents, 3u);   // the title, the fade (one picture at least), notice
    // The notice stays, green and blue alike; red only the eighth every blended pixel gets.
    const TitleTextPlace n = NewsNoticePlace(640, 480);
    const Ink notice = InkIn(0, 0, 640, 480);
    ASSERT_GT(notice.count, 0);
    EXPECT_TRUE(notice.left >= n.left && notice.top >= n.top);
    EXPECT_EQ(notice.high[0], pixelFormat.bitsPerPixel == 16 ? 31 / 8 : 255 / 8);
    EXPECT_EQ(notice.high[1], notice.high[2]);
    errors.clear();  // the test program's folder has no block shapes
}

}  // namespace
