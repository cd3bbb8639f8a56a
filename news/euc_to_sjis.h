#pragma once
// EUC-JP to Shift-JIS, in place if wanted: the output is never longer than the input.

#include <cstddef>

// Results below zero; the bit patterns are 0x8000xxxx.
constexpr int kEucNullSource = static_cast<int>(0x80000101u);
constexpr int kEucNullDestination = static_cast<int>(0x80000102u);
constexpr int kEucBadCapacity = static_cast<int>(0x80000200u);  // capacity above 0x7FFFFFFF
constexpr int kEucNoRoom = static_cast<int>(0x80000400u);

// Converts the NUL-terminated EUC-JP text src into dst (capacity bytes), which may be src itself.
//   0x01..0x7F              copied
//   0x8E + 0xA1..0xDF       the second byte (half-width katakana keep their code)
//   0x8F + two 0xA1..0xFE   0x81 0x40, the ideographic space (JIS X 0212 has no Shift-JIS form)
//   0xA1..0xFE twice        JIS X 0208 row and cell, mapped arithmetically to Shift-JIS
//   any other byte          "?" for that one byte; the byte after it is read afresh
// Success: the number of bytes written, terminator included (at least 1). A character or the
// terminator that does not fit gives kEucNoRoom; dst then holds the converted part and no
// terminator.
int EucToSjis(const char* src, char* dst, size_t capacity);

// The Shift-JIS bytes of JIS X 0208 row and cell (1..94 each): lead * 256 + trail.
unsigned JisToSjis(int row, int cell);
