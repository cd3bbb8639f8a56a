// Title screen (not yet written: hands over to the game at once).
#include "display/win32/title_screen.h"

#include "shell/shell_state.h"

void RunTitleScreen() { runState = 2; }
