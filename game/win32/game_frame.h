#pragma once
// One frame of the game: orbit step, state step, presentation, turn back, key step.
void GameFrame();

// The presentation step: clear the back screen, the overlay lines, render the 3D scene, lay the
// 3D sprite over the back screen with black transparent, present.
void PresentGameFrame();
