#pragma once
// kaDraw: the DirectDraw display, its sprite table, frame composition and presentation.
#include <windows.h>

namespace kaDraw {

// Opens the display once at start-up; 1 when the whole set-up has run, 0 when it stopped.
int Screen(int width, int height, int memoryMode);

}  // namespace kaDraw
