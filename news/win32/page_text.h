#pragma once
// A received page's text between its own charset, UTF-16 and Shift-JIS, through the system's
// conversions (and this program's own for EUC-JP and ISO-2022-JP).

#include <cstddef>
#include <string>

#include "news/charset.h"

// The length bytes of page, written in charset, as UTF-16. Bytes that do not form a character
// give the system's replacement; an odd last byte of a UTF-16 page is dropped. An EUC-JP page
// ends at its first NUL.
std::u16string PageToUtf16(const char* page, size_t length, PageCharset charset);

// text as Shift-JIS (code page 932); a character without a Shift-JIS form, a surrogate pair
// included, becomes one "〓". Never the system's look-alike of such a character.
std::string Utf16ToSjis(const std::u16string& text);
