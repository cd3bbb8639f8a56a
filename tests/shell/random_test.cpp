#include "shell/random.h"

#include <gtest/gtest.h>

TEST(Random, FirstValuesAfterSeedingWithOne) {
    SeedRand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int e : expected) EXPECT_EQ(Rand(), e);
}

TEST(Random, UnseededStateMatchesSeedOneAndStaysInRange) {
    randomState = 1;  // the state a fresh process starts with
    EXPECT_EQ(Rand(), 41);
    SeedRand(0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        int v = Rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}
