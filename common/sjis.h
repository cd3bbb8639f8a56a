#pragma once
// Shift-JIS (code page 932) text in fixed, NUL-terminated byte arrays: which bytes start a
// two-byte character, and copies that never overrun their buffer nor split a character.

#include <cstddef>
#include <cstdint>

// Lead byte of a two-byte character: 0x81-0x9F and 0xE0-0xFC.
bool IsSjisLeadByte(uint8_t byte);

// Copies src into dst of capacity bytes (capacity >= 1), always NUL-terminated, cut at a whole
// character when it does not fit. A lead byte at the very end of src counts as one character.
// Returns the number of bytes copied.
size_t CopyBounded(char* dst, size_t capacity, const char* src);

// Appends src at dst[length] (dst holds length bytes and its terminator) under the same rules as
// CopyBounded for a buffer of capacity bytes. Returns the new length.
size_t AppendBounded(char* dst, size_t capacity, size_t length, const char* src);

// Cuts a NUL-terminated text so that it does not end in a lone lead byte.
void TrimPartialSjis(char* text);
