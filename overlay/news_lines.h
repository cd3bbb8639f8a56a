#pragma once
// The state of the two news lines of the overlay (slots 5 and 6): which stored headline each
// shows and how long until its source is fetched again.

#include "news/news_store.h"

extern int NewsCurrent[kNewsSources];      // index of the stored headline now shown; 0 at start
extern float NewsCountdown[kNewsSources];  // seconds until the next fetch; 0 at start

// Both lines back to their start values; tests call it between cases.
void ResetNewsLines();
