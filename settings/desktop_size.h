#pragma once
// The desktop's own size: the display size of the last RESOLUTION row, where the saver keeps the
// desktop's mode instead of changing it. The Win32 side records the screen's size at start-up;
// until then, and for a size that is not positive, it is 640 x 480.

// Records the desktop's size in pixels.
void SetDesktopSize(int width, int height);
int DesktopWidth();
int DesktopHeight();

// True when the display runs at the desktop's own size and mode: config.RESOLUTION selects the
// desktop's row, or the display could not change the mode and fell back to the desktop's size
// (SetDesktopFallBack(true)). The settings file keeps its RESOLUTION either way. A RESOLUTION above
// the last row counts as the last, as everywhere.
bool DesktopSizeInUse();
void SetDesktopFallBack(bool on);
