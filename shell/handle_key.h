#pragma once
// What the keys and the mouse do while the saver runs, apart from the platform calls: the key
// handler of the window procedure and the rule that counts mouse moves.

#include <cstdint>

// Records key in heldKey, then: '1'..'7' and keypad 1..7 toggle the SHOW_ flag of overlay
// slots 0..6; keypad + and - step both news lines to the next / previous stored headline and
// copy it into overlay slots 5 and 6 (a source with no headline is left alone); keypad point
// zeroes both NewsCountdown values so each shown source is fetched again.
void HandleKey(int key);

// Client coordinates of the last WM_MOUSEMOVE; (0, 0) at start.
struct MousePosition {
    uint16_t x;
    uint16_t y;
};
extern MousePosition lastMousePos;

// Handles a mouse move to (x, y): when mouseEndsSaver is set and both coordinates differ from
// lastMousePos, mouseMoveCount grows by one (it is never reset). lastMousePos := (x, y) in every
// case. True when this move was counted and the count has reached 3: the saver ends.
bool CountMouseMove(uint16_t x, uint16_t y);

// lastMousePos back to (0, 0); tests call it between cases.
void ResetMousePosition();
