// The floating overlay lines of a game frame: news, texts and motion (overlay/overlay_step.h),
// the hand-over of wanted fetches to the fetch worker, and the drawing through the text layer.
#include "overlay/win32/overlay.h"

#include <cstring>
#include <initializer_list>

#include "news/win32/fetch_news.h"
#include "overlay/overlay_step.h"
#include "overlay/win32/fonts.h"
#include "settings/settings.h"
#include "common/shell_state.h"

namespace {

// KORAVEN_OVERLAY_LOG names a file that receives the texts of the two news lines whenever one of
// them changes, so that a test can follow the headlines from outside.
char logPath[MAX_PATH];
bool logLooked = false;
char logged[2][kOverlayTextSize];

void LogNewsLines() {
    if (!logLooked) {
        logLooked = true;
        const DWORD n = GetEnvironmentVariableA("KORAVEN_OVERLAY_LOG", logPath, sizeof logPath);
        if (n == 0 || n >= sizeof logPath) logPath[0] = '\0';
    }
    if (!logPath[0]) return;
    const char* news1 = overlayLines[SLOT_NEWS1].text;
    const char* news2 = overlayLines[SLOT_NEWS2].text;
    if (!std::strcmp(logged[0], news1) && !std::strcmp(logged[1], news2)) return;
    std::memcpy(logged[0], news1, kOverlayTextSize);
    std::memcpy(logged[1], news2, kOverlayTextSize);
    HANDLE file = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    for (const char* text : {"news1=", news1, "\r\nnews2=", news2, "\r\n"}) {
        DWORD written = 0;
        WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    }
    CloseHandle(file);
}

}  // namespace

void UpdateOverlay() {
    if (previewMode) return;
    const int height = DisplayHeight();
    if (StepNewsLines(frameDelta)) RunNewsJobs();
    StepTextLines(frameDelta);
    MoveOverlayLines(frameDelta, height);
    LogNewsLines();

    int order[kOverlaySlots];
    const int shown = OverlayDrawOrder(order);
    for (int i = 0; i < shown; ++i) {
        const OverlayLine& line = overlayLines[order[i]];
        const int grey = line.depth * 4 + 10;
        BeginText(2, height * line.depth / 480, 0, 0, 0, 0);
        SetTextColors(RGB(grey, grey, grey), RGB(255, 0, 0), 1);
        PutText(line.x, static_cast<int>(line.y), line.text);
        EndText();
    }
}
