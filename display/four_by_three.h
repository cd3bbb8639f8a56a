#pragma once
// Layouts drawn for a 4:3 screen and scaled by its width keep their place on a wider screen by
// being scaled inside the widest 4:3 area of the screen's height, centred.

struct HorizontalSpan {
    int left;
    int width;
};

// The 4:3 area of a w x h screen: as wide as 4/3 of the height and centred, or the whole width
// where the screen is not wider than 4:3 (a 5:4 screen).
HorizontalSpan FourByThreeArea(int w, int h);
