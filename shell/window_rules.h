#pragma once
// The frame loop's cursor rule and the configure-mode window's placement, apart from the
// platform calls.

#include <cstdint>

#include "common/shell_state.h"

// The cursor rule of the loop (windowed modes): whether (x, y) lies inside the client area of
// clientWidth x clientHeight at origin.
bool CursorInside(ScreenPoint origin, int clientWidth, int clientHeight, int x, int y);

// What the loop does with the cursor: -1 hide it (ShowCursor FALSE), +1 show it (TRUE), 0
// nothing. Inside, outside preview, and shown: hide. Outside and hidden: show.
int CursorChange(bool inside, bool preview, bool shown);

// The client size the cursor rule uses: 640 x 480 in configure mode, 0 x 0 in the other
// windowed mode (preview).
int CursorClientWidth();
int CursorClientHeight();

// The centred captioned window of configure mode, whose client area is 640 x 480.
struct WindowRect {
    int x, y, width, height;
};
WindowRect CaptionedWindowRect(int cxScreen, int cyScreen, int cxEdge, int cxDlgFrame, int cxBorder,
                               int cyCaption, int cyEdge, int cyDlgFrame, int cyBorder);
