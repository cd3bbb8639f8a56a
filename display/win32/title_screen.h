#pragma once
// The title screen: the first run state. Runs its whole sequence in one call and leaves
// runState at 2.
void RunTitleScreen();

// The title line and the notice shown while the news loads, in Shift-JIS.
extern const char kTitleLine[];
extern const char kNewsNotice[];

// Where a title screen text goes on a display of width w and height h: the box from (left, top)
// to (right, bottom) handed to the compositor, and the size handed to BeginSpriteText.
struct TitleTextPlace {
    int left;
    int top;
    int right;
    int bottom;
    int size;
};
TitleTextPlace TitleLinePlace(int w, int h);
TitleTextPlace NewsNoticePlace(int w, int h);
