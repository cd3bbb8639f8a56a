// The cursor rule of the windowed modes and the configure-mode window's placement.
#include "shell/window_rules.h"

bool CursorInside(ScreenPoint origin, int clientWidth, int clientHeight, int x, int y) {
    return origin.x <= x && x < origin.x + clientWidth && origin.y <= y &&
           y < origin.y + clientHeight;
}

int CursorChange(bool inside, bool preview, bool shown) {
    if (inside && !preview && shown) return -1;
    if (!inside && !shown) return 1;
    return 0;
}

int CursorClientWidth() {
    return configMode ? 640 : 0;
}
int CursorClientHeight() {
    return configMode ? 480 : 0;
}

WindowRect CaptionedWindowRect(int cxScreen, int cyScreen, int cxEdge, int cxDlgFrame, int cxBorder,
                               int cyCaption, int cyEdge, int cyDlgFrame, int cyBorder) {
    WindowRect r;
    r.width = 640 + cxEdge + cxDlgFrame + cxBorder;
    r.height = 480 + cyCaption + cyEdge + cyDlgFrame + cyBorder;
    r.x = (cxScreen - r.width) / 2;
    r.y = (cyScreen - r.height) / 2;
    return r;
}
