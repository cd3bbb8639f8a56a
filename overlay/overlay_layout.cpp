// The floating lines' first layout and the redraw of one line's place.
#include "overlay/overlay_layout.h"

#include "settings/settings.h"
#include "common/random.h"
#include "common/shell_state.h"

void RandomizeOverlayLine(int slot) {
    if (slot < 0 || slot >= kOverlaySlots) return;
    OverlayLine& line = overlayLines[slot];
    line.depth = Rand() % 24 + 16;
    line.x = Rand() % (DisplayWidth() * 8 / 10);
    if (slot == SLOT_NEWS1 || slot == SLOT_NEWS2) line.x = 0;
}

void LayOutOverlayLines() {
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
        overlayLines[slot].text[0] = '\0';
        RandomizeOverlayLine(slot);
        overlayLines[slot].y = static_cast<float>(50 + 48 * slot);
    }
}
