#pragma once
// One frame of the game: orbit step, state step, presentation, turn back, key step.
void GameFrame();
