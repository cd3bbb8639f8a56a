#pragma once
// Where the black covers go in full screen: every part of every monitor that the saver's own
// monitor does not show. A monitor that mirrors the saver's gets no cover, one that overlaps it
// gets covers for the part outside it only, so no cover ever lies over the saver's picture.

struct ScreenRect {
    int left;
    int top;
    int right;
    int bottom;
};

constexpr int kMaxCovers = 64;  // four pieces for each of 16 monitors

// Writes the cover rectangles for the monitors (in virtual-screen coordinates) around the saver's
// monitor into covers (kMaxCovers at most) and returns how many. Empty and inverted monitor
// rectangles are skipped; an empty saver rectangle covers every monitor whole.
int LayOutCovers(const ScreenRect* monitors, int count, const ScreenRect& saver,
                 ScreenRect* covers);
