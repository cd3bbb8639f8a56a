#include "shell/handle_key.h"

#include <climits>

#include "news/news_store.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "common/keys.h"
#include "common/shell_state.h"

MousePosition lastMousePos = {0, 0};

namespace {

constexpr int kNewsSlotOfSource[kNewsSources] = {SLOT_NEWS1, SLOT_NEWS2};

// Steps one source's shown headline by +1 or -1, wrapping over its kept headlines, and copies
// the headline into its overlay slot. A source without headlines is not touched. A count or an
// index that is out of range (the store is written elsewhere) is brought back into range first,
// so the copy never reads outside the store.
void StepNews(int source, int step) {
    int count = NewsCount[source];
    if (count <= 0) return;
    if (count > kNewsSlots) count = kNewsSlots;
    int current = NewsCurrent[source] % count;
    if (current < 0) current += count;
    current = (current + count + step) % count;
    NewsCurrent[source] = current;
    CopyHeadline(overlayLines[kNewsSlotOfSource[source]].text, source, current);
}

}  // namespace

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
                StepNews(source, key == KEY_ADD ? 1 : -1);
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
