// The message box behind the error report.
#include "common/error_report.h"
#include "display/win32/kadraw.h"
#include "common/win32/shell_handles.h"

namespace kaDraw {

namespace {

void ShowErrorBox(const char* text) {
    // In exclusive full screen the box is drawn on the GDI surface: bring it to the front.
    if (directDraw) directDraw->FlipToGDISurface();
    MessageBeep(0xFFFFFFFF);
    MessageBoxA(mainWindow, text, "エラー発生", MB_SYSTEMMODAL | MB_ICONEXCLAMATION);
}

}  // namespace

void InstallErrorBox() {
    if (!errorBox) errorBox = ShowErrorBox;
}

}  // namespace kaDraw
