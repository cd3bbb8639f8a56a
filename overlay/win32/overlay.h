#pragma once
// The floating overlay lines: moved and written onto the back screen once per game frame.
void UpdateOverlay();
