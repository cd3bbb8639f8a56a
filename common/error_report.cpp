// The error report's text, bounded at a whole character, handed to the installed box.
#include "common/error_report.h"

#include <cstddef>

#include "common/sjis.h"

void (*errorBox)(const char* text) = nullptr;
char lastErrorText[kErrorTextSize];
int errorCount = 0;

int ReportError(const char* method, const char* message) {
    size_t len = 0;
    lastErrorText[0] = '\0';
    len = AppendBounded(lastErrorText, kErrorTextSize, len, method ? method : "");
    len = AppendBounded(lastErrorText, kErrorTextSize, len, " : ");
    AppendBounded(lastErrorText, kErrorTextSize, len, message ? message : "");
    ++errorCount;
    if (errorBox) errorBox(lastErrorText);
    return 0;
}
