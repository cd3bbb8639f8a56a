// Frame composition on the back screen and its presentation on the front screen.
#include "display/win32/kadraw.h"
#include "shell/shell_state.h"

namespace kaDraw {

unsigned long presentCount = 0;

namespace {

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
    return FillBlack(backScreen, displayWidth, displayHeight);
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
    ClippedBlit(x, y, sprite3D, left, top, right, bottom, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void Present() {
    if (!directDraw || !frontScreen || !backScreen) return;
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
