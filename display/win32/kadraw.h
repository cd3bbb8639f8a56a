#pragma once
// kaDraw: the DirectDraw display, its sprite table, frame composition and presentation.
#include <windows.h>

namespace kaDraw {

// Opens the display once at start-up; 1 when the whole set-up has run, 0 when it stopped.
int Screen(int width, int height, int memoryMode);

}  // namespace kaDraw

// The game's presentation step: clear the back screen, the overlay lines, render the 3D scene,
// lay the 3D sprite over the back screen with black transparent, present.
void PresentGameFrame();
