#pragma once
// Fonts and GDI text: the shared font description and the text layer. All text reaches a
// surface through here, in Shift-JIS with the ANSI GDI calls.
//
// One font and one device context at a time: a BeginText or BeginSpriteText is followed by its
// EndText or EndSpriteText. The font lives only between the two; the description stays.
#include <windows.h>
#include <ddraw.h>

// The shared logical-font description, zero-filled by InitFonts and freed by ReleaseFonts.
// Every font is created from it, so fields that a call does not set keep their last value.
// Null before InitFonts and after ReleaseFonts; the text calls then do nothing.
extern LOGFONTA* FontDesc;

// lfHeight of the last font created; the text compositor's base line height.
extern int currentFontHeight;

// Text colour of the last SetTextColors call.
extern COLORREF textColor;

// Device context the text calls write through; null between an End and the next Begin.
extern HDC textDC;

// Allocates the shared font description; called once by the display set-up.
void InitFonts();

// Frees the description (GlobalFree); part of the shutdown. Ends an open Begin first.
void ReleaseFonts();

// Face selector: 0 "標準明朝", 1 "標準ゴシック", 2 "ＭＳＰ ゴシック", any other value keeps the
// face of the previous font. Weight selector: 0 normal (400), 1 bold (700), any other 0 (the font
// mapper's choice). angle in degrees.
void BeginText(int face, int height, int angle, int weight, int italic, int underline);
void EndText();

// The same on the Font buffer sprite, at twice the size (for the 2:1 supersampling of the
// compositor), normal weight, upright, no underline.
void BeginSpriteText(int face, int size);
void EndSpriteText();

// Text colour, background colour, and the background mode: transparent when non-zero, else
// opaque. The colours are remembered even without a device context.
void SetTextColors(COLORREF text, COLORREF background, int transparent);

// The whole NUL-terminated string with its top-left corner at (x, y).
void PutText(int x, int y, const char* string);

// ---- for the text compositor ------------------------------------------------------------------

// Creates a font from FontDesc, takes the surface's device context and selects the font into
// it. Ends an open Begin first. False when there is no description, surface or context.
bool AttachFont(IDirectDrawSurface* surface);

// Selects the kept font back, deletes the font and gives the device context back.
void DetachFont();
