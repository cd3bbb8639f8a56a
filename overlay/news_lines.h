#pragma once
// The state of the two news lines of the overlay (slots 5 and 6): which stored headline each
// shows and how long until its source is fetched again.

#include "news/news_store.h"
#include "settings/settings.h"

// The overlay slot of each news source's line.
constexpr int kNewsSlotOfSource[kNewsSources] = {SLOT_NEWS1, SLOT_NEWS2};

extern int NewsCurrent[kNewsSources];      // index of the stored headline now shown; 0 at start
extern float NewsCountdown[kNewsSources];  // seconds until the next fetch; 0 at start

// Both lines back to their start values; tests call it between cases.
void ResetNewsLines();

// Steps a source's shown headline by step (+1 or -1), wrapping over its kept headlines, and
// copies the headline into its line. A source without headlines is not touched. A count or an
// index out of range (the store is written by the fetch) is brought into range first, so the
// copy never reads outside the store.
void StepHeadline(int source, int step);
