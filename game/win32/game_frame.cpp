// Game frame (not yet written: does nothing).
#include "game/win32/game_frame.h"

void GameFrame() {}
