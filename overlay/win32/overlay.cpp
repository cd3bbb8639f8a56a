// Overlay lines (not yet written: draws nothing).
#include "overlay/win32/overlay.h"

void UpdateOverlay() {}
