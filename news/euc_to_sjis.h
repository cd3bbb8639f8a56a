#pragma once
// EUC-JP to Shift-JIS, in place if wanted: the output is never longer than the input.

#include <cstddef>

// Results below zero; the bit patterns are 0x8000xxxx.
constexpr int kEucNullSource = static_cast<int>(0x80000101u);
constexpr int kEucNullDestination = static_cast<int>(0x80000102u);
constexpr int kEucBadCapacity = static_cast<int>(0x80000200u);  // capacity above 0x7FFFFFFF
constexpr int kEucNoRoom = static_cast<int>(0x80000400u);
constexpr int kEucBadSequence = static_cast<int>(0x80000800u);

// Converts the NUL-terminated EUC-JP text src into dst (capacity bytes), which may be src itself.
//   0x01..0x7F              copied
//   0x8E + 0xA1..0xDF       the second byte (half-width katakana keep their code)
//   0x8F + two 0xA1..0xFE   0x81 0x40, the ideographic space (JIS X 0212 has no Shift-JIS form)
//   0xA1..0xFE twice        JIS X 0208 row and cell, mapped arithmetically to Shift-JIS
// Success: the number of bytes written, terminator included (at least 1). Any other lead byte or
// a following byte out of its range gives kEucBadSequence; a character or the terminator that
// does not fit gives kEucNoRoom. After an error dst holds the converted part and no terminator.
int EucToSjis(const char* src, char* dst, size_t capacity);

// The Shift-JIS bytes of JIS X 0208 row and cell (1..94 each): lead * 256 + trail.
unsigned JisToSjis(int row, int cell);
