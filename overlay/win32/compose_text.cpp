// The text compositor on the display's surfaces: GDI draws into the Font buffer sprite, the
// portable layout breaks the lines, the portable kernel blends every chunk into the Font sprite.
#include "overlay/win32/compose_text.h"

#include "display/pixel_format.h"
#include "display/win32/kadraw.h"
#include "overlay/text_blend.h"
#include "overlay/text_layout.h"
#include "overlay/win32/fonts.h"

namespace {

IDirectDrawSurface* FontBuffer() {
    return kaDraw::SpriteSurface(kaDraw::SPRITE_FONT_BUFFER);
}

// Takes the Font buffer's device context again with a fresh font from the shared description,
// drawing transparently in the remembered text colour.
void TakeFontBuffer() {
    if (!AttachFont(FontBuffer())) return;
    SetBkMode(textDC, TRANSPARENT);
    SetTextColor(textDC, textColor);
}

TextExtent DrawCharacter(void*, int bufferX, const char* bytes, int length) {
    TextExtent extent{0, 0};
    if (!textDC) return extent;
    TextOutA(textDC, bufferX, 0, bytes, length);
    SIZE size = {0, 0};
    if (GetTextExtentPoint32A(textDC, bytes, length, &size)) {
        extent.width = size.cx;
        extent.height = size.cy;
    }
    return extent;
}

void BlendChunk(void*, int penX, int penY, int chunkWidth, int chunkHeight, bool last) {
    DetachFont();
    BlendTextChunk(penX, penY, 0, 0, chunkWidth, chunkHeight);
    if (!last) kaDraw::ClearSprite(kaDraw::SPRITE_FONT_BUFFER);
    TakeFontBuffer();
}

struct LockedPlane {
    IDirectDrawSurface* surface = nullptr;
    PixelPlane plane{nullptr, 0, 0, 0};
    DDPIXELFORMAT format{};
};

bool Lock(IDirectDrawSurface* surface, LockedPlane& out) {
    if (!surface) return false;
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK || !desc.lpSurface)
        return false;
    out.surface = surface;
    out.plane = PixelPlane{static_cast<uint8_t*>(desc.lpSurface), static_cast<int>(desc.lPitch),
                           static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight)};
    out.format = desc.ddpfPixelFormat;
    return true;
}

// The pixel layout the kernel uses: the depth the surfaces really have (all three must agree)
// with the channel shifts of the display's pixel format record, or of the surface itself when
// the record describes another depth. False for a depth the kernel does not handle.
bool LayoutFor(const LockedPlane* planes, TextPixelLayout& layout) {
    const int bpp = static_cast<int>(planes[0].format.dwRGBBitCount);
    for (int i = 1; i < 3; ++i)
        if (static_cast<int>(planes[i].format.dwRGBBitCount) != bpp) return false;
    if (bpp != 16 && bpp != 24 && bpp != 32) return false;
    kaDraw::PixelFormatRecord record = kaDraw::pixelFormat;
    if (record.bitsPerPixel != bpp || !record.hasMasks) {
        kaDraw::ComputePixelFormat(bpp, planes[0].format.dwRBitMask, planes[0].format.dwGBitMask,
                                   planes[0].format.dwBBitMask, record);
    }
    layout.bitsPerPixel = bpp;
    layout.colorMask = record.redMask | record.greenMask | record.blueMask;
    if (bpp == 16) {
        layout.shift[0] = record.red5Shift;
        layout.shift[1] = record.green5Shift;
        layout.shift[2] = record.blue5Shift;
    } else {
        layout.shift[0] = record.redShift;
        layout.shift[1] = record.greenShift;
        layout.shift[2] = record.blueShift;
    }
    return true;
}

}  // namespace

int BlendTextChunk(int dx, int dy, int sx, int sy, int sxEnd, int syEnd) {
    TextChunkPlacement chunk{dx, dy, sx, sy, (sxEnd - sx) / 2, (syEnd - sy) / 2};
    const RECT& c = kaDraw::clipRect;
    if (!ClipTextChunk(TextClip{c.left, c.top, c.right, c.bottom}, chunk)) return 1;

    // Source, destination, background, locked and unlocked in that order.
    IDirectDrawSurface* const surfaces[3] = {
        FontBuffer(), kaDraw::SpriteSurface(kaDraw::SPRITE_FONT), kaDraw::backScreen};
    LockedPlane planes[3];
    kaDraw::FlushBackScreenClear();
    int locked = 0;
    while (locked < 3 && Lock(surfaces[locked], planes[locked])) ++locked;
    int result = 0;
    if (locked == 3) {
        result = 1;
        TextPixelLayout layout;
        if (LayoutFor(planes, layout))
            BlendTextPixels(planes[0].plane, planes[1].plane, planes[2].plane, layout, chunk);
    }
    for (int i = 0; i < locked; ++i) planes[i].surface->Unlock(nullptr);
    return result;
}

void ComposeText(int left, int top, int right, int bottom, const char* text) {
    kaDraw::ClearSprite(kaDraw::SPRITE_FONT);
    DetachFont();
    kaDraw::ClearSprite(kaDraw::SPRITE_FONT_BUFFER);
    // Black is the sprites' transparent colour: text too dark to tell from it is lifted.
    textColor = TextColorForSprite(textColor);
    TakeFontBuffer();

    const TextBox box{left, top, right, bottom};
    const TextLayoutOps ops{nullptr, DrawCharacter, BlendChunk};
    const TextBox covered = LayOutText(box, currentFontHeight,
                                       kaDraw::SpriteWidth(kaDraw::SPRITE_FONT_BUFFER), text, ops);
    kaDraw::BlitSpriteKeyed(covered.left, covered.top, kaDraw::SPRITE_FONT, covered.left,
                            covered.top, covered.right, covered.bottom);
}

void ShowTextPicture(int size, uint32_t colour, int left, int top, int right, int bottom,
                     const char* text) {
    constexpr int kFace = 2;  // the proportional Gothic face
    BeginSpriteText(kFace, size);
    kaDraw::ClearBackScreen();
    SetTextColors(colour, 0, 1);
    ComposeText(left, top, right, bottom, text);
    kaDraw::Present();
    EndSpriteText();
}
