// The display state, the sprite table, colour match, source colour keys, surface restoration
// and sprite access.
#include "display/win32/kadraw.h"

namespace kaDraw {

SpriteRecord sprites[kSpriteCount];

IDirectDraw* directDraw = nullptr;
IDirectDrawSurface* frontScreen = nullptr;
IDirectDrawSurface* backScreen = nullptr;
IDirectDrawSurface* sprite3D = nullptr;
IDirectDrawSurface* zBuffer = nullptr;
IDirectDrawClipper* clipper = nullptr;

int displayWidth = 0;
int displayHeight = 0;
RECT clipRect = {0, 0, 0, 0};
RECT presentDest = {0, 0, 0, 0};
RECT presentSource = {0, 0, 0, 0};

PixelFormatRecord pixelFormat = {};

bool soundAvailable = false;
IDirectSound* directSound = nullptr;
IDirectSoundBuffer* primaryBuffer = nullptr;

DWORD ColorMatch(IDirectDrawSurface* surface, COLORREF color) {
    if (!surface) return 0xFFFFFFFF;
    COLORREF saved = 0;
    HDC dc = nullptr;
    const bool exchange = color != CLR_INVALID;
    if (exchange && surface->GetDC(&dc) == DD_OK) {
        saved = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, color);
        surface->ReleaseDC(dc);
    }

    DWORD value = 0xFFFFFFFF;
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    HRESULT hr;
    do {
        hr = surface->Lock(nullptr, &desc, 0, nullptr);
    } while (hr == DDERR_WASSTILLDRAWING);
    if (hr == DD_OK) {
        value = ReadRawPixel(desc.lpSurface, static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount));
        surface->Unlock(desc.lpSurface);
    }

    if (exchange && surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, saved);
        surface->ReleaseDC(dc);
    }
    return value;
}

HRESULT SetSourceColorKey(IDirectDrawSurface* surface, COLORREF color) {
    if (!surface) return DDERR_NOTINITIALIZED;
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = ColorMatch(surface, color);
    key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

namespace {

DDSURFACEDESC heldColor;
DDSURFACEDESC heldDepth;
bool colorHeld = false;
bool depthHeld = false;

HRESULT LockWhole(IDirectDrawSurface* surface, DDSURFACEDESC& desc) {
    desc = {};
    desc.dwSize = sizeof desc;
    return surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_SURFACEMEMORYPTR, nullptr);
}

}  // namespace

bool LockRenderSurfaces(DDSURFACEDESC*& color, DDSURFACEDESC*& depth) {
    if (!sprite3D || !zBuffer) return false;
    HRESULT hr = DD_OK;
    if (!colorHeld && (hr = LockWhole(sprite3D, heldColor)) == DD_OK) colorHeld = true;
    if (colorHeld && !depthHeld && (hr = LockWhole(zBuffer, heldDepth)) == DD_OK) depthHeld = true;
    if (!colorHeld || !depthHeld) {
        if (hr == DDERR_SURFACELOST) {
            RestoreSurfaces();
        } else {
            UnlockRenderSurfaces();
        }
        return false;
    }
    color = &heldColor;
    depth = &heldDepth;
    return true;
}

void UnlockRenderSurfaces() {
    if (colorHeld && sprite3D) sprite3D->Unlock(heldColor.lpSurface);
    colorHeld = false;
    if (!depthHeld) return;
    depthHeld = false;
    if (zBuffer) zBuffer->Unlock(heldDepth.lpSurface);
}

namespace {

void RestoreIfLost(IDirectDrawSurface* surface) {
    if (surface && surface->IsLost() == DDERR_SURFACELOST) surface->Restore();
}

}  // namespace

unsigned long restoreCount = 0;

void RestoreSurfaces() {
    ++restoreCount;
    UnlockRenderSurfaces();
    if (frontScreen) frontScreen->Restore();
    RestoreIfLost(backScreen);
    RestoreIfLost(sprite3D);
    RestoreIfLost(zBuffer);
    for (int i = SPRITE_BUFFER; i <= SPRITE_FONT_BUFFER; ++i) RestoreIfLost(sprites[i].surface);
    for (int i = SPRITE_FONT_BUFFER + 1; i < kSpriteCount; ++i) {
        if (sprites[i].name[0] != '\0') RestoreIfLost(sprites[i].surface);
    }
}

IDirectDrawSurface* SpriteSurface(int index) {
    if (index < 0 || index >= kSpriteCount) return nullptr;
    return sprites[index].surface;
}

int SpriteWidth(int index) {
    if (index < 0 || index >= kSpriteCount) return 0;
    return sprites[index].width;
}

int SpriteHeight(int index) {
    if (index < 0 || index >= kSpriteCount) return 0;
    return sprites[index].height;
}

}  // namespace kaDraw
