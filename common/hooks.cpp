// The hooks from lower layers into higher ones; all unset until the shell registers them.
#include "common/hooks.h"

Hooks hooks = {};
