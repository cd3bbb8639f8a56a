#pragma once
// The overlay lines' work of one game frame apart from the drawing: the news lines' fetch
// schedule and headlines, the texts of the other lines, the motion and the drawing order.
// The Win32 side (overlay/win32/overlay.cpp) runs these in order, hands wanted fetches to the
// fetch worker and draws.

#include "common/shell_state.h"

extern const char kNewsFailureText[];  // "ニュースが取れません．"
extern const char kVersionText[];      // "KORAVEN ver.1.6"

constexpr float kMinNewsInterval = 30.0f;

// The refetch interval of a source's update field: the number atof reads, but never below
// kMinNewsInterval seconds (an empty, non-numeric, negative or NaN field included).
float NewsInterval(const char* update);

// Frame counters of the message, date, time and frame-rate lines, and the last sampled rate.
struct OverlayCounters {
    int message;
    int date;
    int time;
    int fps;
    float rate;
};
extern OverlayCounters overlayCounters;

// Counters, news lines and fetch jobs back to their start values; tests call it between cases.
void ResetOverlay();

// News source 2, then source 1, each only while its line is shown: a finished fetch is applied
// (a random kept headline into the line, or the failure text with NewsCount 1; the countdown
// restarts from the interval unless the refresh key zeroed it meanwhile, in which case the
// source is wanted again at once); a countdown at or below 0 with no fetch under way makes the
// source's fetch wanted and restarts the countdown; then the countdown goes down by dt.
// True when a fetch became wanted.
bool StepNewsLines(float dt);

// The message, date, time, version and frame-rate lines, each while shown, with their frame
// counters (local time from the C library's clock).
void StepTextLines(float dt);

// Every shown slot 0..6 rises by depth * H / 480 pixels per second; one that passed above -H/12
// gets a new depth and x and re-enters below the bottom edge, a news line with its source's next
// headline.
void MoveOverlayLines(float dt, int height);

// The shown slots 0..6 by ascending depth, equal depths in slot order; returns their number.
int OverlayDrawOrder(int order[kOverlaySlots]);
