#pragma once
// The window procedure of the main window (Part 1.2), registered with the class "DEFAULT".
#include <windows.h>

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Input state and cursor confinement of Part 1.2.
// heldKey := 0, and in full-screen mode ConfineCursor(). Called by the display set-up at its end.
void ResetInput();

// ClipCursor to (0, 0, display width, display height) that the display set-up (Part 4.1) was
// opened with. Full-screen mode only.
void ConfineCursor();

// ClipCursor(NULL). Called by the shutdown (Part 1.3).
void ReleaseCursor();
