#pragma once
// Shift-JIS bytes and UTF-16, converted explicitly with code page 932, so Japanese survives
// whatever the system's ANSI code page is.
#include <string>

// Shift-JIS bytes to UTF-16.
std::wstring SjisToWide(const char* text);

// UTF-16 to Shift-JIS bytes; usedDefault (when given) tells whether a character had no Shift-JIS
// form and became '?'.
std::string WideToSjis(const std::wstring& text, bool* usedDefault = nullptr);
