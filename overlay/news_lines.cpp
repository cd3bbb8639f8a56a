#include "overlay/news_lines.h"

int NewsCurrent[kNewsSources];
float NewsCountdown[kNewsSources];

void ResetNewsLines() {
    for (int i = 0; i < kNewsSources; ++i) {
        NewsCurrent[i] = 0;
        NewsCountdown[i] = 0.0f;
    }
}
