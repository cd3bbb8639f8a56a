// Display set-up (not yet written: opens nothing).
#include "display/win32/kadraw.h"

namespace kaDraw {

int Screen(int, int, int) { return 0; }

}  // namespace kaDraw
