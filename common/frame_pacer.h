#pragma once
// The frame clock's arithmetic, and frame pacing: one frame per display refresh, with the time
// until the next frame is due, so the loop can sleep instead of drawing frames nobody sees. Times
// are in microseconds of any monotonic clock.

#include <cstdint>

// The refresh rate to pace at: the first of the given reports that is a plausible rate (24 to
// 500 Hz), else 60. Drivers report 0 or 1 for "the hardware's default".
int ChooseRefreshRate(int reported, int fallbackReport);

struct FramePacer {
    int64_t period = 0;   // microseconds per frame; 0: not started, every frame is due at once
    int64_t nextDue = 0;  // when the next frame is due
};

// Paces at hz frames a second from now on; the first frame is due at once.
void StartPacing(FramePacer& pacer, int hz, int64_t now);

// Microseconds until the next frame is due; 0 when it is due now (or pacing has not started).
int64_t TimeUntilFrame(const FramePacer& pacer, int64_t now);

// Milliseconds to sleep for a wait of the given microseconds, rounded up so that a sleep never
// wakes before the frame is due (at most 1 ms late; the due times themselves do not drift).
uint32_t SleepMilliseconds(int64_t microseconds);

// A frame has run: the next is due one period after this one was. A loop that fell behind by
// more than a whole period (a stall, a slow frame) starts afresh from now instead of running
// the missed frames back to back.
void FrameRan(FramePacer& pacer, int64_t now);

// (now - last) as an unsigned 32-bit difference, times 0.001, as a float: correct across the
// wrap of the millisecond clock at 2^32.
float FrameDeltaSeconds(uint32_t now, uint32_t last);

// Pause's test "a reading greater than the deadline", taken modulo 2^32 (the reading is later
// than the deadline by less than 2^31 ms), so that a deadline just below the wrap cannot hang.
bool DeadlinePassed(uint32_t reading, uint32_t deadline);
