#pragma once
// Shared set-up for the game's tests: the real ka3D scene with the 900 block frames, a well
// of a chosen size, one frame without the presentation, and the check that the scene shows
// exactly the occupied cells.

#include <gtest/gtest.h>

#include "game/blocks.h"
#include "game/game_state.h"
#include "game/player.h"
#include "game/well.h"
#include "settings/settings.h"
#include "shell/random.h"
#include "shell/shell_state.h"

// Calls of the global operator new so far (counted in alloc_count.cpp).
extern long newCallCount;

// Builds the scene the way the title screen does, the first time only.
void SetUpScene();

// Default settings with the given well size; blocks placed, game state at its start, well
// empty, random generator seeded.
void StartWell(int width, int height, uint32_t seed = 1);

// One game frame without the presentation step; the key step's result.
bool PlayFrame(float delta);

// The attached block frames are exactly the occupied playfield cells, each in its cell's
// colour, scaled by the row fade or the game-over fade where one is running.
testing::AssertionResult SceneMatchesWell();

// Settled cells, for proving that nothing but settling and row removal changes them.
int CountCells(int32_t value);

// Whether any cell of the piece at (x, y, state) has an empty cell directly below it that is
// not one of the piece's own cells.
bool LeavesHole(int x, int y, int kind, int state);

// Fills playfield cell (x, y) as a settled block of the given colour, shown.
void Settle(int x, int y, int colour = 0);

class GameTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};
