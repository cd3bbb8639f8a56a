#pragma once
// The window procedure of the main window, registered with the class "DEFAULT", and the cursor
// confinement used by the display set-up and the shutdown.
#include <windows.h>

// Turns window messages into the shell's state: window position, activation, cursor, the held
// key, and the decision to end the saver. One short case per message; everything else goes to
// DefWindowProcA.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Hot-key identifiers and the key codes the key handler gets for them.
constexpr WPARAM kHotKeySnapshot = 0xBF01;  // HandleKey(VK_SNAPSHOT)
constexpr WPARAM kHotKeyOther = 0xBF02;     // HandleKey(0x101)

// heldKey := 0, and in full-screen mode ConfineCursor(). Called by the display set-up at its end.
void ResetInput();

// ClipCursor to (0, 0, display width, display height), the size the display set-up was opened
// with. Full-screen mode only.
void ConfineCursor();

// ClipCursor(NULL). Called by the shutdown.
void ReleaseCursor();
