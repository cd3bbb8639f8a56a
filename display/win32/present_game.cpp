// Presentation of a game frame (not yet written: draws nothing).
#include "display/win32/kadraw.h"

void PresentGameFrame() {}
