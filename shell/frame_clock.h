#pragma once
// The arithmetic of the frame loop, apart from the clock and the cursor calls.

#include <cstdint>

#include "shell/shell_state.h"

// (now - last) as an unsigned 32-bit difference, times 0.001, as a float: correct across the
// wrap of the millisecond clock at 2^32.
float FrameDeltaSeconds(uint32_t now, uint32_t last);

// Pause's test "a reading greater than the deadline", taken modulo 2^32 (the reading is later
// than the deadline by less than 2^31 ms), so that a deadline just below the wrap cannot hang.
bool DeadlinePassed(uint32_t reading, uint32_t deadline);

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
