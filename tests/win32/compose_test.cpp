// The frame composed by the processor on locked surfaces against the same frame composed with
// DirectDraw's blitter: black fill, overlay text drawn with GDI, the 3D picture keyed on black
// over it. Every pixel of the back screen must agree, with and without text, for the whole
// screen and for clipped parts of it.
#include <gtest/gtest.h>

#include <vector>

#include "display/win32/kadraw.h"
#include "overlay/win32/fonts.h"
#include "scene3d/box_mesh.h"
#include "scene3d/demo_scene.h"
#include "scene3d/ka3d.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"

using namespace kaDraw;

namespace {

LRESULT CALLBACK TestWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

std::vector<uint8_t> Pixels(IDirectDrawSurface* s) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    std::vector<uint8_t> out;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return out;
    const size_t row = d.dwWidth * (d.ddpfPixelFormat.dwRGBBitCount / 8);
    for (DWORD y = 0; y < d.dwHeight; ++y) {
        const uint8_t* p = static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch;
        out.insert(out.end(), p, p + row);
    }
    s->Unlock(d.lpSurface);
    return out;
}

size_t Lit(const std::vector<uint8_t>& pixels) {
    size_t n = 0;
    for (uint8_t v : pixels) n += v != 0;
    return n;
}

void OverlayText() {
    BeginText(1, 48, 0, 1, 0, 0);
    SetTextColors(RGB(200, 220, 255), 0, 1);
    PutText(10, 180, "KORAVEN 12:34:56");
    PutText(300, 380, "ニュース読み込み中");
    EndText();
}

class Compose : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ComposeTest";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "ComposeTest", "KORAVEN compose test", WS_POPUP | WS_VISIBLE, 0,
                                 0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mainWindow = window;
        fullScreen = false;
        previewMode = false;
        Screen(640, 480, 1);
        ASSERT_NE(zBuffer, nullptr);
        ka3D::Mesh box;
        ka3D::BuildBoxMesh(0.95f, &box);
        ka3D::BuildDemoScene(box, 640, 480, 10, 20, 12, frames);
        ka3D::DemoOrbit(35.0f, 45.0f);
    }
    void TearDown() override {
        ka3D::Release();
        ReleaseSound();
        Release();
        DestroyWindow(window);
    }
    HWND window = nullptr;
    ka3D::Frame* frames[ka3D::kDemoBlocks] = {};
};

}  // namespace

TEST_F(Compose, TheProcessorsFrameEqualsTheBlittersPixelForPixel) {
    // The Z-buffer is in system memory whatever the device choice says.
    DDSURFACEDESC z = {};
    z.dwSize = sizeof z;
    zBuffer->GetSurfaceDesc(&z);
    EXPECT_TRUE(z.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);

    struct Case {
        bool text;
        int x, y, left, top, right, bottom;
    } cases[] = {
        {false, 0, 0, 0, 0, 640, 480},       // the game without overlay lines
        {true, 0, 0, 0, 0, 640, 480},        // the game with them
        {true, -10, 20, 0, 0, 640, 480},     // clipped on two sides
        {false, 100, 50, 10, 10, 300, 200},  // a part, the rest of the screen cleared
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << c.text << " at " << c.x << "," << c.y);
        // The blitter's frame.
        DDBLTFX fx = {};
        fx.dwSize = sizeof fx;
        RECT all = {0, 0, 640, 480};
        ASSERT_EQ(backScreen->Blt(&all, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx),
                  DD_OK);
        if (c.text) OverlayText();
        ka3D::Render();
        UnlockRenderSurfaces();
        int x = c.x, y = c.y;
        BlitRect src = {c.left, c.top, c.right, c.bottom};
        ASSERT_TRUE(ClipBlit(x, y, src, {0, 0, 640, 480}));
        RECT r = {src.left, src.top, src.right, src.bottom};
        ASSERT_EQ(backScreen->BltFast(x, y, sprite3D, &r, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
                  DD_OK);
        const std::vector<uint8_t> expected = Pixels(backScreen);

        // The processor's frame, through the calls a game frame makes.
        ClearBackScreen();
        if (c.text) OverlayText();
        ka3D::Render();
        Blit3DSprite(c.x, c.y, c.left, c.top, c.right, c.bottom);
        const std::vector<uint8_t> got = Pixels(backScreen);

        ASSERT_EQ(got.size(), expected.size());
        EXPECT_GT(Lit(expected), 1000u) << "blocks (and text) are on the screen";
        size_t differing = 0;
        for (size_t i = 0; i < got.size(); ++i) differing += got[i] != expected[i];
        EXPECT_EQ(differing, 0u);
    }
}
