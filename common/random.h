#pragma once
// The program's one pseudo-random generator. It follows the C runtime's classic linear
// congruential recurrence, so a seed gives the same sequence on every platform and the
// layout drawn before the first seeding is the same on every start (the state starts at 1).

#include <cstdint>

extern uint32_t randomState;

// Same effect as srand(seed).
void SeedRand(uint32_t seed);

// Same result as rand(): 0 to 32767.
int Rand();

// Rand() expanded in place, for the game's loops that draw thousands of numbers within one
// frame: the same recurrence on the same state, so both can be mixed freely.
inline int RandInline() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}
