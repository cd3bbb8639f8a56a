// Frame composition on the back screen and its presentation on the front screen.
#include "display/pixel_copy.h"
#include "display/win32/kadraw.h"
#include "common/shell_state.h"

namespace kaDraw {

unsigned long presentCount = 0;

namespace {

bool backClearPending = false;

HRESULT FillBlack(IDirectDrawSurface* surface, int width, int height) {
    if (!surface) return DDERR_NOTINITIALIZED;
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0;
    RECT rect = {0, 0, width, height};
    return surface->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

// The one clipped copy onto the back screen behind the three blits.
void ClippedBlit(int x, int y, IDirectDrawSurface* source, int left, int top, int right, int bottom,
                 DWORD flags) {
    if (!backScreen || !source) return;
    FlushBackScreenClear();
    BlitRect src = {left, top, right, bottom};
    const BlitRect clip = {clipRect.left, clipRect.top, clipRect.right, clipRect.bottom};
    if (!ClipBlit(x, y, src, clip)) return;
    RECT rect = {src.left, src.top, src.right, src.bottom};
    HRESULT hr =
        backScreen->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), source, &rect, flags);
    if (hr == DDERR_SURFACELOST) RestoreSurfaces();
}

}  // namespace

HRESULT ClearBackScreen() {
    if (!backScreen) return DDERR_NOTINITIALIZED;
    backClearPending = true;
    return DD_OK;
}

void FlushBackScreenClear() {
    if (!backClearPending) return;
    backClearPending = false;
    FillBlack(backScreen, displayWidth, displayHeight);
}

HRESULT ClearSprite(int index) {
    return FillBlack(SpriteSurface(index), SpriteWidth(index), SpriteHeight(index));
}

void BlitSpriteKeyed(int x, int y, int index, int left, int top, int right, int bottom) {
    ClippedBlit(x, y, SpriteSurface(index), left, top, right, bottom,
                DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void BlitSpriteOpaque(int x, int y, int index, int left, int top, int right, int bottom) {
    ClippedBlit(x, y, SpriteSurface(index), left, top, right, bottom, DDBLTFAST_WAIT);
}

void Blit3DSprite(int x, int y, int left, int top, int right, int bottom) {
    if (!backScreen || !sprite3D || !zBuffer) return;
    DDSURFACEDESC* color = nullptr;
    DDSURFACEDESC* depth = nullptr;
    if (!LockRenderSurfaces(color, depth)) return;
    DDSURFACEDESC back = {};
    back.dwSize = sizeof back;
    HRESULT hr = backScreen->Lock(nullptr, &back, DDLOCK_WAIT | DDLOCK_SURFACEMEMORYPTR, nullptr);
    if (hr != DD_OK) {
        if (hr == DDERR_SURFACELOST) RestoreSurfaces();
        return;
    }
    const int bits = static_cast<int>(back.ddpfPixelFormat.dwRGBBitCount);
    const int bytes = bits / 8;
    const bool sameFormat = bits == static_cast<int>(color->ddpfPixelFormat.dwRGBBitCount) &&
                            (bytes >= 2 && bytes <= 4);
    const int width =
        static_cast<int>(back.dwWidth < color->dwWidth ? back.dwWidth : color->dwWidth);
    const int height =
        static_cast<int>(back.dwHeight < color->dwHeight ? back.dwHeight : color->dwHeight);
    const PixelRows to = {static_cast<uint8_t*>(back.lpSurface), static_cast<int>(back.lPitch)};
    const PixelRows from = {static_cast<uint8_t*>(color->lpSurface),
                            static_cast<int>(color->lPitch)};
    BlitRect src = {left, top, right, bottom};
    const BlitRect clip = {clipRect.left, clipRect.top, clipRect.right, clipRect.bottom};
    const bool draw = sameFormat && ClipBlit(x, y, src, clip) && src.left >= 0 && src.top >= 0 &&
                      src.right <= width && src.bottom <= height;
    const int w = src.right - src.left, h = src.bottom - src.top;
    const int backWidth = static_cast<int>(back.dwWidth),
              backHeight = static_cast<int>(back.dwHeight);
    // A pending clear under a copy of the whole screen: the picture keyed over black is the
    // picture itself. Under a smaller copy the clear is done first, in the same lock.
    const bool opaque = backClearPending && sameFormat && draw && x == 0 && y == 0 &&
                        w == backWidth && h == backHeight;
    if (backClearPending && sameFormat) {
        if (!opaque) ClearPixels(to, backWidth, backHeight, bytes);
        backClearPending = false;
    }
    if (draw) {
        CopyPixels({to.first + y * to.pitch + x * bytes, to.pitch},
                   {from.first + src.top * from.pitch + src.left * bytes, from.pitch}, w, h, bytes,
                   !opaque);
    }
    backScreen->Unlock(back.lpSurface);
}

void Present() {
    if (gdiScreen) {
        PresentThroughGdi();
        return;
    }
    if (!directDraw || !frontScreen || !backScreen) return;
    // Some drivers (Wine's among them) go on accepting blits to surfaces that have been lost and
    // only say so when asked; asking the front screen costs no trip to the driver.
    if (frontScreen->IsLost() == DDERR_SURFACELOST) RestoreSurfaces();
    FlushBackScreenClear();
    if (previewMode) {
        // The host's window may be larger than the display: never shrink past the back screen.
        int pw = previewWidth < displayWidth ? previewWidth : displayWidth;
        int ph = previewHeight < displayHeight ? previewHeight : displayHeight;
        if (pw <= 0 || ph <= 0) return;
        IDirectDrawSurface* buffer = SpriteSurface(SPRITE_BUFFER);
        if (buffer) {
            RECT to = {0, 0, pw, ph};
            RECT from = {0, 0, displayWidth, displayHeight};
            if (buffer->Blt(&to, backScreen, &from, DDBLT_WAIT, nullptr) == DDERR_SURFACELOST) {
                RestoreSurfaces();
            }
            BlitSpriteOpaque(0, 0, SPRITE_BUFFER, 0, 0, pw, ph);
        }
        presentDest = {windowOrigin.x, windowOrigin.y, windowOrigin.x + pw, windowOrigin.y + ph};
        presentSource = {0, 0, pw, ph};
    }
    if (directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr) != DD_OK) return;
    HRESULT hr = frontScreen->Blt(&presentDest, backScreen, &presentSource, DDBLT_WAIT, nullptr);
    if (hr == DDERR_SURFACELOST) {
        RestoreSurfaces();
    } else if (hr == DD_OK) {
        ++presentCount;
        NoteFramePresented();
    }
}

}  // namespace kaDraw
