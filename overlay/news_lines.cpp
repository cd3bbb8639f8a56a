// Which headline each news line shows, and when its source is fetched again.
#include "overlay/news_lines.h"

#include "common/shell_state.h"

int NewsCurrent[kNewsSources];
float NewsCountdown[kNewsSources];

void ResetNewsLines() {
    for (int i = 0; i < kNewsSources; ++i) {
        NewsCurrent[i] = 0;
        NewsCountdown[i] = 0.0f;
    }
}

void StepHeadline(int source, int step) {
    int count = NewsCount[source];
    if (count <= 0) return;
    if (count > kNewsSlots) count = kNewsSlots;
    int current = NewsCurrent[source] % count;
    if (current < 0) current += count;
    current = (current + count + step) % count;
    NewsCurrent[source] = current;
    CopyHeadline(overlayLines[kNewsSlotOfSource[source]].text, source, current);
}
