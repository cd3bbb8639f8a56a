// With FIXCOLOR on, every piece takes the colour of its kind.
#include <gtest/gtest.h>

#include "common/random.h"
#include "game/player.h"
#include "game/well.h"
#include "settings/settings.h"

namespace {

TEST(FixedColour, EachPieceTakesItsKindsColour) {
    ResetSettings();
    config.FIXCOLOR = 1;
    SetWellBounds(config.WIDTH, config.HEIGHT);
    ResetWell();
    SeedRand(7);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(ChooseNextPiece());
        EXPECT_EQ(piece.colour, piece.kind) << "piece " << i;
    }
}

}  // namespace
