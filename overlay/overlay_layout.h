#pragma once
// The ten floating overlay line slots: their first layout and the redraw of one slot.

// depth := rand() % 24 + 16; x := rand() % (W * 8 / 10) with W the display width of the
// RESOLUTION row; the news slots 5 and 6 get x = 0 (both numbers are drawn for them too).
void RandomizeOverlayLine(int slot);

// At start-up, before the first seeding: every slot emptied, randomized, and placed at y = 50 + 48
// * slot.
void LayOutOverlayLines();
