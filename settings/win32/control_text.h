#pragma once
// Texts between the settings (Shift-JIS bytes, code page 932) and the dialogs' controls (UTF-16).
// The conversion is explicit, so Japanese reads and survives correctly whatever the system's ANSI
// code page is.
#include <windows.h>

#include <cstddef>
#include <string>

#include "common/win32/sjis_wide.h"

// A control's text, read whole.
std::wstring ControlText(HWND control);

// Sets a control's text from Shift-JIS bytes.
void SetControlText(HWND control, const char* sjis);

// Reads a control's text back into setting (capacity bytes with the terminator, at most
// capacity - 1 bytes kept, cut at a whole Shift-JIS character). A text that still reads as the
// setting was shown keeps the setting's own bytes, so a value that has several Shift-JIS forms of
// one character, or bytes that are no Shift-JIS at all, survives unchanged.
void ReadControlText(HWND control, char* setting, size_t capacity);
