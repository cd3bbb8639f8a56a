#include "display/error_report.h"

#include <cstddef>

namespace kaDraw {

void (*errorBox)(const char* text) = nullptr;
char lastErrorText[kErrorTextSize];
int errorCount = 0;

namespace {

// Shift-JIS lead bytes: 0x81-0x9F and 0xE0-0xFC.
bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Appends src at out[len], never past the buffer and never splitting a two-byte character.
size_t Append(char* out, size_t len, const char* src) {
    const size_t limit = kErrorTextSize - 1;
    for (size_t i = 0; src[i] != '\0';) {
        size_t width = (IsLeadByte(static_cast<unsigned char>(src[i])) && src[i + 1]) ? 2 : 1;
        if (len + width > limit) break;
        for (size_t k = 0; k < width; ++k) out[len++] = src[i + k];
        i += width;
    }
    out[len] = '\0';
    return len;
}

}  // namespace

int ReportError(const char* method, const char* message) {
    size_t len = 0;
    lastErrorText[0] = '\0';
    len = Append(lastErrorText, len, method ? method : "");
    len = Append(lastErrorText, len, " : ");
    Append(lastErrorText, len, message ? message : "");
    ++errorCount;
    if (errorBox) errorBox(lastErrorText);
    return 0;
}

}  // namespace kaDraw
