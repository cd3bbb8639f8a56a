// The shared font description and the GDI text layer on DirectDraw surfaces.
#include "overlay/win32/fonts.h"

#include <cstring>

#include "common/sjis.h"
#include "display/win32/kadraw.h"

LOGFONTA* FontDesc = nullptr;
int currentFontHeight = 0;
COLORREF textColor = 0;
HDC textDC = nullptr;

namespace {

HFONT currentFont = nullptr;
HGDIOBJ keptFont = nullptr;
IDirectDrawSurface* dcSurface = nullptr;  // the surface textDC belongs to

const char* const kFaces[] = {"標準明朝", "標準ゴシック", "ＭＳＰ ゴシック"};

void SetFace(int face) {
    if (face < 0 || face > 2) return;
    CopyBounded(FontDesc->lfFaceName, LF_FACESIZE, kFaces[face]);
}

LONG WeightOf(int weight) {
    if (weight == 0) return FW_NORMAL;
    if (weight == 1) return FW_BOLD;
    return 0;
}

}  // namespace

void InitFonts() {
    if (FontDesc) return;
    FontDesc = static_cast<LOGFONTA*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(LOGFONTA)));
}

void ReleaseFonts() {
    DetachFont();
    if (FontDesc) GlobalFree(FontDesc);
    FontDesc = nullptr;
}

bool AttachFont(IDirectDrawSurface* surface) {
    DetachFont();
    if (!FontDesc || !surface) return false;
    currentFontHeight = FontDesc->lfHeight;
    if (surface == kaDraw::backScreen) kaDraw::FlushBackScreenClear();
    HDC dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK || !dc) return false;
    textDC = dc;
    dcSurface = surface;
    currentFont = CreateFontIndirectA(FontDesc);
    keptFont = currentFont ? SelectObject(dc, currentFont) : nullptr;
    return true;
}

void DetachFont() {
    if (!textDC) return;
    if (keptFont) SelectObject(textDC, keptFont);
    if (currentFont) DeleteObject(currentFont);
    dcSurface->ReleaseDC(textDC);
    keptFont = nullptr;
    currentFont = nullptr;
    textDC = nullptr;
    dcSurface = nullptr;
}

void BeginText(int face, int height, int angle, int weight, int italic, int underline) {
    if (!FontDesc) return;
    SetFace(face);
    FontDesc->lfHeight = height;
    FontDesc->lfWidth = 0;
    FontDesc->lfEscapement = angle * 10;
    FontDesc->lfWeight = WeightOf(weight);
    FontDesc->lfItalic = static_cast<BYTE>(italic);
    FontDesc->lfUnderline = static_cast<BYTE>(underline);
    FontDesc->lfCharSet = SHIFTJIS_CHARSET;
    AttachFont(kaDraw::backScreen);
}

void EndText() {
    DetachFont();
}

void BeginSpriteText(int face, int size) {
    if (!FontDesc) return;
    SetFace(face);
    FontDesc->lfHeight = 2 * size;
    FontDesc->lfWidth = 0;
    FontDesc->lfEscapement = 0;
    FontDesc->lfWeight = FW_NORMAL;
    FontDesc->lfItalic = 0;
    FontDesc->lfUnderline = 0;
    FontDesc->lfCharSet = SHIFTJIS_CHARSET;
    AttachFont(kaDraw::SpriteSurface(kaDraw::SPRITE_FONT_BUFFER));
}

void EndSpriteText() {
    DetachFont();
}

void SetTextColors(COLORREF text, COLORREF background, int transparent) {
    textColor = text;
    if (!textDC) return;
    SetTextColor(textDC, text);
    SetBkColor(textDC, background);
    SetBkMode(textDC, transparent ? TRANSPARENT : OPAQUE);
}

void PutText(int x, int y, const char* string) {
    if (!textDC || !string) return;
    TextOutA(textDC, x, y, string, static_cast<int>(std::strlen(string)));
}
