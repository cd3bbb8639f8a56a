#pragma once
// Black windows over every monitor but the saver's in full screen (display/cover_layout.h says
// where). They are topmost, never take activation or keys, hide the cursor, and have a class and
// title of their own ("KaCover"), so nothing that looks for the saver's window finds them.

namespace kaDraw {

// Places the covers for the monitors as they are now around mainWindow's monitor: made, moved
// or removed as needed. Called once the display is set up and again on WM_DISPLAYCHANGE.
void PlaceMonitorCovers();

// Removes every cover (the shutdown, before the desktop comes back).
void RemoveMonitorCovers();

// How many covers are up.
int MonitorCoverCount();

}  // namespace kaDraw
