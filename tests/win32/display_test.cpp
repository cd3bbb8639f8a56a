// The display on real DirectDraw surfaces under Wine, in windowed mode: set-up, pixel format,
// colour match, clipped blits, presentation, the 3D render hook, failure and release.
//
// With KORAVEN_EXPECT_DEPTH set (16 or 24), the desktop must have that depth: the bench runs
// this program once on its 24-bit display and once on a 16-bit one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "display/error_report.h"
#include "display/win32/kadraw.h"
#include "scene3d/ka3d.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"

using namespace kaDraw;

namespace {

std::vector<std::string> reports;
void RecordReport(const char* text) {
    reports.push_back(text);
}

LRESULT CALLBACK TestWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

HWND MakeWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DisplayTest";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        RegisterClassA(&wc);
        registered = true;
    }
    HWND w = CreateWindowExA(0, "DisplayTest", "KORAVEN display test", WS_POPUP | WS_VISIBLE, 0, 0,
                             640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return w;
}

DDSURFACEDESC Describe(IDirectDrawSurface* s) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    s->GetSurfaceDesc(&d);
    return d;
}

// The colour bits of a pixel; the unused top byte of a 32-bit pixel is left out (the driver
// may fill it).
uint32_t PixelAt(IDirectDrawSurface* s, int x, int y) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEADBEEF;
    int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount) / 8;
    const unsigned char* p =
        static_cast<const unsigned char*>(d.lpSurface) + y * d.lPitch + x * bytes;
    uint32_t v = ReadRawPixel(p, static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount));
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

// A surface of its own pixel format in system memory.
IDirectDrawSurface* MakeSurface(DWORD r, DWORD g, DWORD b) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = 8;
    d.dwHeight = 8;
    d.ddpfPixelFormat.dwSize = sizeof d.ddpfPixelFormat;
    d.ddpfPixelFormat.dwFlags = DDPF_RGB;
    d.ddpfPixelFormat.dwRGBBitCount = 16;
    d.ddpfPixelFormat.dwRBitMask = r;
    d.ddpfPixelFormat.dwGBitMask = g;
    d.ddpfPixelFormat.dwBBitMask = b;
    IDirectDrawSurface* s = nullptr;
    if (directDraw->CreateSurface(&d, &s, nullptr) != DD_OK) return nullptr;
    return s;
}

class Display : public ::testing::Test {
  protected:
    void SetUp() override {
        reports.clear();
        errorBox = RecordReport;
        window = MakeWindow();
        ASSERT_NE(window, nullptr);
        mainWindow = window;
        fullScreen = false;
        previewMode = false;
        windowOrigin = {0, 0};
        heldKey = 0x41;
        result = Screen(640, 480, 1);
        ASSERT_NE(backScreen, nullptr);
        red = pixelFormat.redMask;
        green = pixelFormat.greenMask;
        blue = pixelFormat.blueMask;
    }
    void TearDown() override {
        ReleaseSound();
        Release();
        previewMode = false;
        DestroyWindow(window);
        errorBox = nullptr;
    }
    HWND window = nullptr;
    int result = 0;
    uint32_t red = 0, green = 0, blue = 0;
};

}  // namespace

TEST_F(Display, WindowedSetUpCreatesEverySurfaceAndRecord) {
    EXPECT_TRUE(reports.empty()) << reports[0];
    EXPECT_EQ(result, soundAvailable ? 1 : 0);
    EXPECT_EQ(heldKey, 0);  // the input reset ran, with or without a sound device
    ASSERT_NE(frontScreen, nullptr);
    ASSERT_NE(sprite3D, nullptr);
    ASSERT_NE(zBuffer, nullptr);

    // The clipper is bound to our window and set on the front screen.
    ASSERT_NE(clipper, nullptr);
    IDirectDrawClipper* set = nullptr;
    ASSERT_EQ(frontScreen->GetClipper(&set), DD_OK);
    EXPECT_EQ(set, clipper);
    set->Release();
    HWND bound = nullptr;
    clipper->GetHWnd(&bound);
    EXPECT_EQ(bound, window);

    for (IDirectDrawSurface* s : {backScreen, sprite3D, zBuffer}) {
        DDSURFACEDESC d = Describe(s);
        EXPECT_EQ(d.dwWidth, 640u);
        EXPECT_EQ(d.dwHeight, 480u);
    }
    EXPECT_TRUE(Describe(zBuffer).ddsCaps.dwCaps & DDSCAPS_ZBUFFER);
    // The 3D layer chose its device, and the Z-buffer is made as it asked.
    EXPECT_GE(ka3D::ChosenDevice(), 0);
    EXPECT_EQ(static_cast<int>(Describe(zBuffer).dwZBufferBitDepth), ka3D::ZBufferDepth());
    // The surfaces the processor draws on every frame sit in system memory.
    EXPECT_TRUE(Describe(backScreen).ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
    EXPECT_TRUE(Describe(sprite3D).ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);

    // The Z-buffer hangs on the 3D sprite, which keys on black.
    DDSCAPS zcaps = {DDSCAPS_ZBUFFER};
    IDirectDrawSurface* attached = nullptr;
    ASSERT_EQ(sprite3D->GetAttachedSurface(&zcaps, &attached), DD_OK);
    EXPECT_EQ(attached, zBuffer);
    attached->Release();
    DDCOLORKEY key = {1, 1};
    ASSERT_EQ(sprite3D->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0u);

    const char* names[] = {"内部用１", "内部用２", "内部用３", "内部用４"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(sprites[i].surface, nullptr);
        EXPECT_STREQ(sprites[i].name, names[i]);
        EXPECT_EQ(sprites[i].colorKey, 0u);
        EXPECT_EQ(SpriteWidth(i), 640);
        EXPECT_EQ(SpriteHeight(i), 480);
        DDSURFACEDESC d = Describe(sprites[i].surface);
        EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
        DDCOLORKEY k = {1, 1};
        ASSERT_EQ(sprites[i].surface->GetColorKey(DDCKEY_SRCBLT, &k), DD_OK);
        EXPECT_EQ(k.dwColorSpaceLowValue, 0u);
    }
    for (int i = 4; i < kSpriteCount; ++i) {
        if (sprites[i].surface || sprites[i].name[0] || sprites[i].width || sprites[i].height) {
            ADD_FAILURE() << "record " << i << " is not free";
            break;
        }
    }
    EXPECT_EQ(SpriteSurface(-1), nullptr);
    EXPECT_EQ(SpriteSurface(kSpriteCount), nullptr);
    EXPECT_EQ(SpriteWidth(kSpriteCount), 0);

    EXPECT_EQ(clipRect.right, 640);
    EXPECT_EQ(clipRect.bottom, 480);
    EXPECT_EQ(presentSource.right, 640);
    EXPECT_EQ(presentSource.bottom, 480);
    SetPresentDestination(30, 40);
    EXPECT_EQ(presentDest.left, 30);
    EXPECT_EQ(presentDest.top, 40);
    EXPECT_EQ(presentDest.right, 670);
    EXPECT_EQ(presentDest.bottom, 520);
}

TEST_F(Display, PixelFormatRecordFollowsTheDesktop) {
    int depth = ScreenDepth();
    if (const char* want = std::getenv("KORAVEN_EXPECT_DEPTH")) {
        ASSERT_EQ(depth, std::atoi(want));
    }
    if (depth == 16) {
        EXPECT_EQ(pixelFormat.bitsPerPixel, 16);
        EXPECT_EQ(pixelFormat.redShift, 11);
        EXPECT_EQ(pixelFormat.red5Shift, 11);
        EXPECT_EQ(pixelFormat.greenShift, 5);
        EXPECT_EQ(pixelFormat.green5Shift, 6);
        EXPECT_EQ(pixelFormat.blueShift, 0);
        EXPECT_EQ(pixelFormat.blue5Shift, 0);
    } else {
        EXPECT_EQ(pixelFormat.bitsPerPixel, 32);
        EXPECT_EQ(pixelFormat.redShift, 16);
        EXPECT_EQ(pixelFormat.red5Shift, 16);
        EXPECT_EQ(pixelFormat.greenShift, 8);
        EXPECT_EQ(pixelFormat.green5Shift, 8);
        EXPECT_EQ(pixelFormat.blueShift, 0);
        EXPECT_EQ(pixelFormat.blue5Shift, 0);
    }
    EXPECT_TRUE(pixelFormat.hasMasks);
}

TEST_F(Display, ColorMatchGivesRawValuesAndLeavesTheCornerAsItWas) {
    EXPECT_EQ(ColorMatch(backScreen, RGB(255, 255, 255)), red | green | blue);
    EXPECT_EQ(ColorMatch(backScreen, RGB(255, 0, 0)), red);
    EXPECT_EQ(ColorMatch(backScreen, RGB(0, 0, 255)), blue);
    EXPECT_EQ(ColorMatch(backScreen, 0), 0u);

    Fill(backScreen, {0, 0, 1, 1}, green);
    ColorMatch(backScreen, RGB(255, 255, 255));
    EXPECT_EQ(PixelAt(backScreen, 0, 0), green);
    EXPECT_EQ(ColorMatch(backScreen, CLR_INVALID), green);  // reads the corner as it stands

    IDirectDrawSurface* s565 = MakeSurface(0xF800, 0x07E0, 0x001F);
    IDirectDrawSurface* s555 = MakeSurface(0x7C00, 0x03E0, 0x001F);
    ASSERT_NE(s565, nullptr);
    ASSERT_NE(s555, nullptr);
    EXPECT_EQ(ColorMatch(s565, RGB(255, 255, 255)), 0xFFFFu);
    EXPECT_EQ(ColorMatch(s555, RGB(255, 255, 255)), 0x7FFFu);
    EXPECT_EQ(ColorMatch(s565, 0), 0u);
    EXPECT_EQ(ColorMatch(s555, 0), 0u);
    ASSERT_EQ(SetSourceColorKey(s565, RGB(255, 255, 255)), DD_OK);
    DDCOLORKEY k = {};
    s565->GetColorKey(DDCKEY_SRCBLT, &k);
    EXPECT_EQ(k.dwColorSpaceLowValue, 0xFFFFu);
    EXPECT_EQ(k.dwColorSpaceHighValue, 0xFFFFu);
    s565->Release();
    s555->Release();
    EXPECT_EQ(ColorMatch(nullptr, 0), 0xFFFFFFFFu);
}

TEST_F(Display, BlitsAreClippedToTheScreen) {
    // Sprite 1: columns 0..9 red, the rest green.
    IDirectDrawSurface* s = SpriteSurface(SPRITE_SCREEN);
    Fill(s, {0, 0, 640, 480}, green);
    Fill(s, {0, 0, 10, 480}, red);
    ClearBackScreen();

    BlitSpriteOpaque(-10, 20, SPRITE_SCREEN, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(backScreen, 0, 20), green);  // source column 10 lands on column 0
    EXPECT_EQ(PixelAt(backScreen, 53, 67), green);
    EXPECT_EQ(PixelAt(backScreen, 54, 20), 0u);
    EXPECT_EQ(PixelAt(backScreen, 0, 19), 0u);
    EXPECT_EQ(PixelAt(backScreen, 0, 68), 0u);

    ClearBackScreen();
    BlitSpriteOpaque(620, 470, SPRITE_SCREEN, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(backScreen, 620, 470), red);
    EXPECT_EQ(PixelAt(backScreen, 639, 479), green);
    EXPECT_EQ(PixelAt(backScreen, 619, 470), 0u);

    // Beyond the right edge, and exactly on it: nothing reaches the screen.
    ClearBackScreen();
    BlitSpriteOpaque(641, 0, SPRITE_SCREEN, 0, 0, 64, 48);
    BlitSpriteOpaque(640, 0, SPRITE_SCREEN, 0, 0, 64, 48);
    BlitSpriteOpaque(0, 480, SPRITE_SCREEN, 0, 0, 64, 48);
    BlitSpriteOpaque(0, 0, 77, 0, 0, 64, 48);  // a free record
    for (int y : {0, 47, 479}) {
        for (int x : {0, 600, 639}) EXPECT_EQ(PixelAt(backScreen, x, y), 0u) << x << "," << y;
    }
}

TEST_F(Display, KeyedBlitsLeaveBlackTransparent) {
    IDirectDrawSurface* s = SpriteSurface(SPRITE_SCREEN);
    Fill(s, {0, 0, 64, 48}, green);
    Fill(s, {16, 16, 32, 32}, 0);
    Fill(backScreen, {0, 0, 640, 480}, blue);
    BlitSpriteKeyed(100, 100, SPRITE_SCREEN, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(backScreen, 100, 100), green);
    EXPECT_EQ(PixelAt(backScreen, 120, 120), blue);
    BlitSpriteOpaque(100, 100, SPRITE_SCREEN, 0, 0, 64, 48);
    EXPECT_EQ(PixelAt(backScreen, 120, 120), 0u);

    Fill(sprite3D, {0, 0, 640, 480}, 0);
    Fill(sprite3D, {300, 200, 340, 240}, red);
    Fill(backScreen, {0, 0, 640, 480}, blue);
    Blit3DSprite(0, 0, 0, 0, 640, 480);
    EXPECT_EQ(PixelAt(backScreen, 310, 210), red);
    EXPECT_EQ(PixelAt(backScreen, 10, 10), blue);
}

TEST_F(Display, ClearsFillBlackAndRefuseMissingSprites) {
    Fill(backScreen, {0, 0, 640, 480}, red);
    EXPECT_EQ(ClearBackScreen(), DD_OK);
    FlushBackScreenClear();  // a lock from outside the layer comes after the pending fill
    EXPECT_EQ(PixelAt(backScreen, 0, 0), 0u);
    EXPECT_EQ(PixelAt(backScreen, 639, 479), 0u);
    Fill(SpriteSurface(SPRITE_FONT), {0, 0, 640, 480}, red);
    EXPECT_EQ(ClearSprite(SPRITE_FONT), DD_OK);
    EXPECT_EQ(PixelAt(SpriteSurface(SPRITE_FONT), 639, 479), 0u);
    EXPECT_EQ(ClearSprite(4), DDERR_NOTINITIALIZED);
    EXPECT_EQ(ClearSprite(-1), DDERR_NOTINITIALIZED);
    EXPECT_EQ(ClearSprite(kSpriteCount), DDERR_NOTINITIALIZED);
}

TEST_F(Display, PresentCountsFramesAndThePreviewShrinksTheWholePicture) {
    unsigned long before = presentCount;
    Present();
    EXPECT_EQ(presentCount, before + 1);

    // Left half red, right half blue; a 160 x 120 preview shows both halves.
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
    EXPECT_EQ(presentSource.right, 160);
    EXPECT_EQ(presentSource.bottom, 120);
    EXPECT_EQ(presentDest.left, 5);
    EXPECT_EQ(presentDest.top, 7);
    EXPECT_EQ(presentDest.right, 165);
    EXPECT_EQ(presentDest.bottom, 127);
    EXPECT_EQ(presentCount, before + 2);

    // A host window larger than the display is shown at the display's size.
    previewWidth = 2000;
    previewHeight = 100;
    Present();
    EXPECT_EQ(presentSource.right, 640);
    EXPECT_EQ(presentSource.bottom, 100);
}

TEST_F(Display, RenderDrawsTheSceneInTheSurfacesOwnFormat) {
    ka3D::SetBackground(0, 0, 1);
    ASSERT_EQ(ka3D::CreateCamera(1, 0, 0, 640, 480), 1);
    Fill(sprite3D, {0, 0, 640, 480}, red);
    ka3D::Render();
    UnlockRenderSurfaces();  // the render keeps the 3D sprite locked for the overlay
    EXPECT_EQ(PixelAt(sprite3D, 320, 240), blue);
    EXPECT_EQ(PixelAt(sprite3D, 0, 479), blue);
    ka3D::SetBackground(0, 0, 0);
}

TEST_F(Display, AfterReleaseNothingIsLeftAndNothingIsDrawn) {
    ReleaseSound();
    Release();
    EXPECT_EQ(directDraw, nullptr);
    EXPECT_EQ(frontScreen, nullptr);
    EXPECT_EQ(backScreen, nullptr);
    EXPECT_EQ(sprite3D, nullptr);
    EXPECT_EQ(zBuffer, nullptr);
    EXPECT_EQ(clipper, nullptr);
    EXPECT_EQ(directSound, nullptr);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sprites[i].surface, nullptr);
        EXPECT_EQ(sprites[i].name[0], '\0');
        EXPECT_EQ(sprites[i].width, 0);
    }
    unsigned long before = presentCount;
    PresentGameFrame();
    Present();
    ka3D::Render();
    BlitSpriteKeyed(0, 0, 0, 0, 0, 64, 48);
    EXPECT_EQ(ClearBackScreen(), DDERR_NOTINITIALIZED);
    EXPECT_EQ(presentCount, before);
    Release();  // a second release finds nothing to do
}

namespace {

// A window of its own and recorded reports, for set-ups that are meant to fail.
class DisplayFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        reports.clear();
        errorBox = RecordReport;
        window = MakeWindow();
        mainWindow = window;
        fullScreen = false;
        previewMode = false;
    }
    void TearDown() override {
        Release();
        fullScreen = false;
        DestroyWindow(window);
        errorBox = nullptr;
    }
    HWND window = nullptr;
};

}  // namespace

TEST_F(DisplayFailure, AFailingStepIsReportedAndLeavesNothingHalfUsed) {
    // No back screen can be made 0 pixels wide: the set-up stops there with its message.
    EXPECT_EQ(Screen(0, 0, 1), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], std::string("kaDraw::Screen : ") + "裏画面が生成できません");
    EXPECT_NE(frontScreen, nullptr);
    EXPECT_EQ(backScreen, nullptr);
    EXPECT_EQ(sprite3D, nullptr);
    unsigned long before = presentCount;
    PresentGameFrame();
    Present();
    ka3D::Render();
    EXPECT_EQ(ClearSprite(SPRITE_BUFFER), DDERR_NOTINITIALIZED);
    EXPECT_EQ(presentCount, before);
    Release();
    EXPECT_EQ(directDraw, nullptr);
    EXPECT_EQ(frontScreen, nullptr);
}

TEST_F(DisplayFailure, AFullScreenModeThatCannotBeSetEndsTheSetUpWithoutAMessage) {
    fullScreen = true;
    EXPECT_EQ(Screen(1234, 567, 1), 0);  // no such 16-bit mode
    EXPECT_TRUE(reports.empty());
    EXPECT_NE(directDraw, nullptr);
    EXPECT_EQ(frontScreen, nullptr);
    EXPECT_EQ(backScreen, nullptr);
    PresentGameFrame();
    Present();
    Release();  // gives the display mode and the cooperative level back
    EXPECT_EQ(directDraw, nullptr);
}
