#pragma once
// Input state kept in step with window messages.

// Clears the held key and, in full screen, confines the cursor to the display.
void ResetInput();

// ClipCursor to the display opened by the display set-up (full screen only).
void ConfineCursor();
