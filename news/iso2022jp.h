#pragma once
// ISO-2022-JP (the 7-bit form of Japanese mail and older pages) to Shift-JIS.

#include <cstddef>

// Converts the length bytes of src into dst, which has room for length + 1 bytes (the output
// is never longer than the input), and NUL-terminates it. Returns the bytes written, terminator
// excluded. Escape sequences switch between ASCII (ESC ( B, ESC ( J), JIS X 0208 (ESC $ @,
// ESC $ B) and half-width katakana (ESC ( I, or SO ... SI); they write nothing. A JIS X 0212
// character (after ESC $ ( D) becomes "〓". A byte that is not valid where it stands (an
// unknown escape, a byte above 0x7F, NUL, a pair cut by the end)
// becomes "?" and conversion goes on; CR and LF are kept in every mode.
size_t Iso2022JpToSjis(const char* src, size_t length, char* dst);
