// The one reset of all process-wide state, used by the entry and the tests alike.
#include "shell/process_state.h"

#include "common/shell_state.h"
#include "game/game_state.h"
#include "news/news_store.h"
#include "overlay/overlay_step.h"
#include "settings/settings.h"
#include "shell/handle_key.h"

void ResetProcessState() {
    ResetShellState();
    ResetSettings();
    ResetNewsStore();
    ResetOverlay();
    ResetMousePosition();
    InitGameState();
}
