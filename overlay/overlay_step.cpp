// The overlay lines' work of a frame apart from drawing: news schedule, texts, motion, order.
#include "overlay/overlay_step.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "news/news_jobs.h"
#include "news/news_store.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "common/sjis.h"
#include "overlay/overlay_layout.h"
#include "common/random.h"

const char kNewsFailureText[] = "ニュースが取れません．";
const char kVersionText[] = "KORAVEN ver.1.6";

OverlayCounters overlayCounters;

namespace {

void ApplyFetch(int source) {
    NewsJob& job = newsJobs[source];
    char* text = overlayLines[kNewsSlotOfSource[source]].text;
    std::memcpy(NewsHeadlines[source], job.headlines, sizeof job.headlines);
    NewsCount[source] = job.count;
    if (job.result == 0 && job.count > 0) {
        NewsCurrent[source] = Rand() % job.count;
        CopyHeadline(text, source, NewsCurrent[source]);
    } else {
        // The failure text takes slot 0 too, so that stepping the line shows it again rather
        // than what the failed fetch left there (a candidate the reject text removed).
        CopyBounded(NewsHeadlines[source][0], kHeadlineSize, kNewsFailureText);
        CopyBounded(text, kOverlayTextSize, kNewsFailureText);
        NewsCount[source] = 1;
    }
    // The countdown was restarted when the fetch was wanted; at or below 0 now only when the
    // refresh key zeroed it while the fetch was under way.
    if (NewsCountdown[source] > 0) NewsCountdown[source] = NewsInterval(config.NI[source].update);
    job.phase.store(kJobIdle, std::memory_order_release);
}

bool StepNewsLine(int source, float dt) {
    if (!config.SHOW[kNewsSlotOfSource[source]]) return false;
    bool wanted = false;
    const int phase = newsJobs[source].phase.load(std::memory_order_acquire);
    if (phase == kJobDone) ApplyFetch(source);
    if (phase != kJobWanted && phase != kJobRunning && NewsCountdown[source] <= 0) {
        WantNewsJob(source);
        NewsCountdown[source] = NewsInterval(config.NI[source].update);
        wanted = true;
    }
    NewsCountdown[source] -= dt;
    return wanted;
}

// "HH:MM" or "MM/DD" after a prefix, as the first five characters of the C library's time and
// date strings.
void ClockText(char* text, const char* prefix, int a, int b, char separator) {
    std::snprintf(text, kOverlayTextSize, "%s%02d%c%02d", prefix, a, separator, b);
}

}  // namespace

float NewsInterval(const char* update) {
    const float seconds = static_cast<float>(std::atof(update));
    return seconds >= kMinNewsInterval ? seconds : kMinNewsInterval;
}

void ResetOverlay() {
    overlayCounters = OverlayCounters{};
    ResetNewsLines();
    ResetNewsJobs();
}

bool StepNewsLines(float dt) {
    const bool second = StepNewsLine(1, dt);
    const bool first = StepNewsLine(0, dt);
    return first || second;
}

void StepTextLines(float dt) {
    OverlayCounters& c = overlayCounters;
    const int* show = config.SHOW;
    const std::tm* now = nullptr;
    if ((show[SLOT_DATE] && c.date == 0) || (show[SLOT_TIME] && c.time == 0)) {
        const std::time_t t = std::time(nullptr);
        now = std::localtime(&t);
    }
    if (show[SLOT_MSG]) {
        if (c.message == 0) {
            CopyBounded(overlayLines[SLOT_MSG].text, kOverlayTextSize, config.TEXT);
            c.message = 54321;
        }
        --c.message;
    }
    if (show[SLOT_DATE]) {
        if (c.date == 0) {
            if (now)
                ClockText(overlayLines[SLOT_DATE].text, "DATE ", now->tm_mon + 1, now->tm_mday,
                          '/');
            c.date = 2000;
        }
        --c.date;
    }
    if (show[SLOT_TIME]) {
        if (c.time == 0) {
            if (now)
                ClockText(overlayLines[SLOT_TIME].text, "TIME ", now->tm_hour, now->tm_min, ':');
            c.time = 100;
        }
        --c.time;
    }
    if (show[SLOT_INFO]) CopyBounded(overlayLines[SLOT_INFO].text, kOverlayTextSize, kVersionText);
    if (show[SLOT_FPS]) {
        if (c.fps == 0) {
            c.rate = dt > 0 ? 1.0f / dt : 30.0f;
            c.fps = 99;
        }
        --c.fps;
        std::snprintf(overlayLines[SLOT_FPS].text, kOverlayTextSize, "%3.1f FPS", c.rate);
    }
}

void MoveOverlayLines(float dt, int height) {
    for (int slot = 0; slot < kShownLines; ++slot) {
        if (!config.SHOW[slot]) continue;
        OverlayLine& line = overlayLines[slot];
        // Single precision, the products in this order.
        line.y = line.y - line.depth * height * dt * 0.0020833334f;
        if (line.y >= -height / 12.0) continue;
        RandomizeOverlayLine(slot);
        line.y = line.y + height * 1.1041666f;
        if (slot != SLOT_NEWS1 && slot != SLOT_NEWS2) continue;
        const int source = slot == SLOT_NEWS1 ? 0 : 1;
        line.x = 0;
        // Before its first fetch has finished a line has no headline to move on to.
        StepHeadline(source, 1);
    }
}

int OverlayDrawOrder(int order[kOverlaySlots]) {
    int n = 0;
    for (int slot = 0; slot < kShownLines; ++slot) {
        if (!config.SHOW[slot]) continue;
        // Insertion: a slot goes after every earlier one of the same depth.
        int i = n++;
        while (i > 0 && overlayLines[order[i - 1]].depth > overlayLines[slot].depth) {
            order[i] = order[i - 1];
            --i;
        }
        order[i] = slot;
    }
    return n;
}
