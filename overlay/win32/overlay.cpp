// The floating overlay lines of a game frame: news, texts and motion (overlay/overlay_step.h),
// the hand-over of wanted fetches to the fetch worker, and the drawing through the text layer.
#include "overlay/win32/overlay.h"

#include "news/win32/fetch_news.h"
#include "overlay/overlay_step.h"
#include "overlay/win32/fonts.h"
#include "settings/settings.h"
#include "shell/shell_state.h"

void UpdateOverlay() {
    if (previewMode) return;
    const int height = DisplayHeight();
    if (StepNewsLines(frameDelta)) RunNewsJobs();
    StepTextLines(frameDelta);
    MoveOverlayLines(frameDelta, height);

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
