// Fonts (not yet written: allocates nothing).
#include "overlay/win32/fonts.h"

void InitFonts() {}
