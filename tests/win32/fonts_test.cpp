// The text layer's font description: sprite text is drawn at twice its size, for the 2:1
// reduction that smooths it.
#include <gtest/gtest.h>

#include "overlay/win32/fonts.h"

namespace {

TEST(Fonts, SpriteTextIsDrawnAtTwiceItsSize) {
    InitFonts();
    BeginSpriteText(2, 24);
    EXPECT_EQ(FontDesc->lfHeight, 48);
    EndSpriteText();
    ReleaseFonts();
}

TEST(Fonts, PlainTextIsDrawnAtTheHeightGiven) {
    InitFonts();
    BeginText(2, 24, 0, 0, 0, 0);
    EXPECT_EQ(FontDesc->lfHeight, 24);
    EndText();
    ReleaseFonts();
}

}  // namespace
