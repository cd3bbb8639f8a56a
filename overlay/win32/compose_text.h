#pragma once
#include <cstdint>
// Anti-aliased text for the title screen: characters drawn at twice the size into the Font
// buffer sprite, reduced and blended chunk by chunk into the Font sprite, and the covered part
// of the Font sprite laid over the back screen with black transparent.

// Writes a Shift-JIS text into the box (left, top) to (right, bottom) with line breaking.
// BeginSpriteText and SetTextColors come first; EndSpriteText releases the font it leaves
// selected in the Font buffer sprite.
void ComposeText(int left, int top, int right, int bottom, const char* text);

// Blends the Font buffer rectangle (sx, sy) to (sxEnd, syEnd), in buffer pixels, into the Font
// sprite at screen position (dx, dy) against the back screen. 1 when done or nothing is left
// after clipping, 0 when a surface could not be locked.
int BlendTextChunk(int dx, int dy, int sx, int sy, int sxEnd, int syEnd);

// One picture of the title screen: BeginSpriteText with face 2 at size, the back screen cleared,
// the text in the GDI colour on a transparent background composed into the box, presented,
// EndSpriteText. The title screen calls it through its hook.
void ShowTextPicture(int size, uint32_t colour, int left, int top, int right, int bottom,
                     const char* text);
