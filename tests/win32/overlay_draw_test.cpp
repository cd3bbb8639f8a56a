// The overlay lines drawn by UpdateOverlay onto a real DirectDraw back screen (windowed, on the
// bench's 24-bit desktop): the grey and height of a line follow its depth, nearer lines are drawn
// over farther ones, and preview mode draws nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "display/win32/kadraw.h"
#include "overlay/news_lines.h"
#include "overlay/overlay_step.h"
#include "overlay/win32/fonts.h"
#include "overlay/win32/overlay.h"
#include "settings/settings.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"

using namespace kaDraw;

namespace {

// Lit pixels of a rectangle of the back screen: their number, rows spanned, and the largest
// and smallest channel value of the lit ones (each pixel's three channels must be equal: grey).
struct Lit {
    int count = 0, top = 1 << 30, bottom = -1, high = 0, low = 255;
    bool grey = true;
};

Lit LitIn(int x0, int y0, int x1, int y1) {
    Lit lit;
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    FlushBackScreenClear();  // a clear is only carried out before the next use of the surface
    if (backScreen->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return lit;
    for (int y = y0; y < y1; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch;
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = row + x * 4;  // B, G, R, X
            if (!(p[0] | p[1] | p[2])) continue;
            ++lit.count;
            lit.top = std::min(lit.top, y);
            lit.bottom = std::max(lit.bottom, y);
            lit.high = std::max<int>(lit.high, p[0]);
            lit.low = std::min<int>(lit.low, p[0]);
            lit.grey &= p[0] == p[1] && p[1] == p[2];
        }
    }
    backScreen->Unlock(nullptr);
    return lit;
}

class OverlayDraw : public ::testing::Test {
  protected:
    void SetUp() override {
        window = CreateWindowExA(0, "STATIC", "KORAVEN overlay test", WS_POPUP | WS_VISIBLE, 0, 0,
                                 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mainWindow = window;
        ResetShellState();
        ResetSettings();
        ResetOverlay();
        for (int& s : config.SHOW) s = 0;
        fullScreen = false;
        Screen(640, 480, 1);
        ASSERT_NE(backScreen, nullptr);
        if (pixelFormat.bitsPerPixel != 32) GTEST_SKIP() << "needs a 32-bit desktop";
        InitFonts();
        ClearBackScreen();
    }
    void TearDown() override {
        ReleaseFonts();
        ReleaseSound();
        Release();
        previewMode = false;
        DestroyWindow(window);
    }
    static void Place(int slot, int depth, int x, float y) {
        config.SHOW[slot] = 1;
        overlayLines[slot].depth = depth;
        overlayLines[slot].x = x;
        overlayLines[slot].y = y;
    }
    HWND window = nullptr;
};

// The display is set up once (it takes seconds under Wine) for all three checks.
TEST_F(OverlayDraw, GreyAndHeightFollowTheDepthNearerOverFartherNothingInPreview) {
    Place(SLOT_INFO, 16, 20, 40.7f);
    Place(SLOT_MSG, 39, 20, 200);
    std::strcpy(config.TEXT, "■■ KORAVEN");
    frameDelta = 0;
    UpdateOverlay();
    const Lit back = LitIn(0, 0, 640, 150), front = LitIn(0, 150, 640, 480);
    EXPECT_GT(back.count, 50);
    EXPECT_TRUE(back.grey);
    EXPECT_EQ(back.high, 16 * 4 + 10);
    EXPECT_GE(back.top, 40);
    EXPECT_LE(back.bottom - back.top + 1, 16);
    EXPECT_TRUE(front.grey);
    EXPECT_EQ(front.high, 39 * 4 + 10);
    EXPECT_GE(front.top, 200);
    EXPECT_GE(front.bottom - front.top + 1, 24);  // "■" fills most of the 39-pixel cell
    EXPECT_LE(front.bottom - front.top + 1, 39);

    // Nearer lines are drawn over farther ones, whatever their slot: the message (slot 4) near,
    // a news line (slot 5, its fetch not due) far, both a block at the same place.
    ClearBackScreen();
    ResetOverlay();
    config.SHOW[SLOT_INFO] = 0;
    NewsCountdown[0] = 1000;
    Place(SLOT_MSG, 39, 100, 100);
    Place(SLOT_NEWS1, 16, 100, 100);
    std::strcpy(config.TEXT, "■");
    std::strcpy(overlayLines[SLOT_NEWS1].text, "■");
    UpdateOverlay();
    const Lit middle = LitIn(106, 106, 110, 110);  // inside both blocks
    EXPECT_EQ(middle.count, 16);
    EXPECT_EQ(middle.low, 39 * 4 + 10);

    // Preview mode: nothing drawn, moved or written.
    ClearBackScreen();
    config.SHOW[SLOT_MSG] = config.SHOW[SLOT_NEWS1] = 0;
    overlayLines[SLOT_INFO].text[0] = '\0';
    previewMode = true;
    Place(SLOT_INFO, 30, 10, 100);
    frameDelta = 1;
    UpdateOverlay();
    EXPECT_EQ(LitIn(0, 0, 640, 480).count, 0);
    EXPECT_EQ(overlayLines[SLOT_INFO].y, 100);
    EXPECT_STREQ(overlayLines[SLOT_INFO].text, "");
}

}  // namespace
