#pragma once
// The one way a failing set-up step tells the user: "<method> : <message>" in a system-modal
// box captioned "エラー発生". The portable part builds the text; the Win32 layer installs the
// box. Without a box (native builds) the text is only recorded, so tests can read it.

constexpr int kErrorTextSize = 256;  // at most 255 bytes and the terminator

// Builds the text, records it and shows it through errorBox when one is installed. Always 0,
// so a caller can end with `return ReportError(...)`.
int ReportError(const char* method, const char* message);

// Shows a finished report text; installed by the Win32 layer.
extern void (*errorBox)(const char* text);

// The last report's text and the number of reports so far.
extern char lastErrorText[kErrorTextSize];
extern int errorCount;
