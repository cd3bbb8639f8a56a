// What the keys and the mouse do to the saver's state, apart from the window messages.
#include "shell/handle_key.h"

#include <climits>

#include "news/news_store.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "common/keys.h"
#include "common/shell_state.h"

MousePosition lastMousePos;

void HandleKey(int key) {
    heldKey = key;

    int show = -1;
    if (key >= KEY_1 && key < KEY_1 + kShownLines) show = key - KEY_1;
    if (key >= KEY_NUMPAD1 && key < KEY_NUMPAD1 + kShownLines) show = key - KEY_NUMPAD1;
    if (show >= 0) {
        config.SHOW[show] = 1 - config.SHOW[show];
        return;
    }

    switch (key) {
        case KEY_ADD:
        case KEY_SUBTRACT:
            for (int source = 0; source < kNewsSources; ++source) {
                StepHeadline(source, key == KEY_ADD ? 1 : -1);
            }
            break;
        case KEY_DECIMAL:
            for (float& countdown : NewsCountdown) countdown = 0.0f;
            break;
        default: break;
    }
}

bool CountMouseMove(uint16_t x, uint16_t y) {
    bool ends = false;
    if (mouseEndsSaver && x != lastMousePos.x && y != lastMousePos.y) {
        if (mouseMoveCount < INT_MAX) ++mouseMoveCount;
        ends = mouseMoveCount >= 3;
    }
    lastMousePos = {x, y};
    return ends;
}

void ResetMousePosition() {
    lastMousePos = {0, 0};
}
