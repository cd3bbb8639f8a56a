// The frame clock's arithmetic and the pacer's due times.
#include "common/frame_pacer.h"

namespace {

bool Plausible(int hz) {
    return hz >= 24 && hz <= 500;
}

}  // namespace

int ChooseRefreshRate(int reported, int fallbackReport) {
    if (Plausible(reported)) return reported;
    if (Plausible(fallbackReport)) return fallbackReport;
    return 60;
}

void StartPacing(FramePacer& pacer, int hz, int64_t now) {
    pacer.period = hz > 0 ? (1000000 + hz / 2) / hz : 0;
    pacer.nextDue = now;
}

int64_t TimeUntilFrame(const FramePacer& pacer, int64_t now) {
    if (pacer.period <= 0) return 0;
    const int64_t wait = pacer.nextDue - now;
    return wait > 0 ? wait : 0;
}

uint32_t SleepMilliseconds(int64_t microseconds) {
    if (microseconds <= 0) return 0;
    return static_cast<uint32_t>((microseconds + 999) / 1000);
}

void FrameRan(FramePacer& pacer, int64_t now) {
    if (pacer.period <= 0) return;
    pacer.nextDue += pacer.period;
    if (pacer.nextDue + pacer.period <= now) pacer.nextDue = now;
}

float FrameDeltaSeconds(uint32_t now, uint32_t last) {
    const uint32_t elapsed = now - last;
    return static_cast<float>(static_cast<double>(elapsed) * 0.001);
}

bool DeadlinePassed(uint32_t reading, uint32_t deadline) {
    return static_cast<int32_t>(reading - deadline) > 0;
}
