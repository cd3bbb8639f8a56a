// The GDI present path's own surfaces, on real GDI under Wine: what the display's code does with
// DirectDraw's surfaces (locks, device contexts, fills, keyed copies, colour match) gives the
// same pixels on them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "display/win32/dib_surface.h"
#include "display/win32/kadraw.h"

using namespace kaDraw;

namespace {

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

void Fill(IDirectDrawSurface* s, RECT r, uint32_t colour) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = colour;
    ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
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

TEST(OwnSurface, ColourFillCoversItsRectangleOnly) {
    IDirectDrawSurface* s = Make(8, 4);
    Fill(s, {2, 1, 5, 3}, 0x00FF00);
    EXPECT_EQ(Pixel(s, 2, 1), 0x00FF00u);
    EXPECT_EQ(Pixel(s, 4, 2), 0x00FF00u);
    EXPECT_EQ(Pixel(s, 5, 2), 0u);
    EXPECT_EQ(Pixel(s, 2, 3), 0u);
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

TEST(OwnSurface, ColourMatchReadsTheColourAndRestoresThePixel) {
    IDirectDrawSurface* s = Make(4, 4);
    Fill(s, {0, 0, 1, 1}, 0x123456);
    EXPECT_EQ(ColorMatch(s, RGB(255, 128, 0)) & 0xFFFFFF, 0xFF8000u);
    EXPECT_EQ(Pixel(s, 0, 0), 0x123456u);
    s->Release();
}

TEST(OwnSurface, StretchedCopyShrinksThePicture) {
    IDirectDrawSurface* source = Make(8, 8);
    IDirectDrawSurface* target = Make(4, 4);
    Fill(source, {0, 0, 8, 8}, 0xFF0000);
    RECT to = {0, 0, 2, 2};
    RECT from = {0, 0, 8, 8};
    ASSERT_EQ(target->Blt(&to, source, &from, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Pixel(target, 1, 1), 0xFF0000u);
    EXPECT_EQ(Pixel(target, 2, 2), 0u);
    source->Release();
    target->Release();
}

}  // namespace
