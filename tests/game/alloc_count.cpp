// The game test program's allocation counter (newCallCount, declared in game_support.h).
#include "tests/alloc_count.h"
