#pragma once
// Line breaking of the title screen's text. The characters of a Shift-JIS text are drawn one
// after another at twice the final size into a buffer; a run of them (a chunk) ends when the
// line is full, when the buffer's width is reached or at a line feed, and is then handed on to
// be reduced and blended at the pen position. The drawing and blending are given as callbacks,
// so the same layout runs on GDI surfaces and on plain memory.

#include <cstdint>

#include "common/sjis.h"

// The characters that may not begin a line: "、。，．・…‥”’（」" , "." the ideographic space
// and the space. `length` is 1 or 2, the character's bytes.
bool LineStartForbidden(const char* character, int length);

// Text colour for the sprite pictures, as a GDI colour 0x00BBGGRR: a colour whose three channels
// are all below 16 becomes RGB(16, 16, 16), since black is the sprites' transparent colour.
uint32_t TextColorForSprite(uint32_t color);

struct TextExtent {
    int width;
    int height;
};

// A rectangle in screen pixels, right and bottom just outside.
struct TextBox {
    int left;
    int top;
    int right;
    int bottom;
};

struct TextLayoutOps {
    void* context;
    // Draws one character (1 or 2 bytes) at buffer position (bufferX, 0) and returns its
    // measured size in buffer pixels.
    TextExtent (*drawCharacter)(void* context, int bufferX, const char* bytes, int length);
    // A finished chunk: buffer columns 0 .. chunkWidth and rows 0 .. chunkHeight go to screen
    // position (penX, penY). `last` is set for the chunk that closes the text; every other chunk
    // is followed by more drawing into a cleared buffer.
    void (*blendChunk)(void* context, int penX, int penY, int chunkWidth, int chunkHeight,
                       bool last);
};

// Lays `text` out in `box`. fontHeight is the height of the font in buffer pixels (the starting
// line height), bufferWidth the width of the buffer in buffer pixels. Returns the covered
// rectangle: from (left, top) to the furthest right and bottom edges of the chunks handed on.
// Every character ends up in exactly one chunk or is dropped at the bottom; a lead byte at the
// very end of the text (its trail byte missing) is dropped. A character wider than a whole line
// is drawn past the right edge rather than retried forever.
TextBox LayOutText(const TextBox& box, int fontHeight, int bufferWidth, const char* text,
                   const TextLayoutOps& ops);
