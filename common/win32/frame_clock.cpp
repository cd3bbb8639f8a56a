// The millisecond frame clock (timeGetTime) behind frameDelta, and the pacer that puts one frame
// on each display refresh (the performance counter).
#include "common/win32/frame_clock.h"

#include <windows.h>
#include <mmsystem.h>

#include "common/frame_pacer.h"
#include "common/shell_state.h"

namespace {

FramePacer pacer;

int64_t NowMicroseconds() {
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<int64_t>(now.QuadPart / frequency.QuadPart * 1000000 +
                                now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

}  // namespace

void StartFramePacing(int hz) {
    // Sleeps and waits then end within a millisecond of their time.
    timeBeginPeriod(1);
    StartPacing(pacer, hz, NowMicroseconds());
}

void StopFramePacing() {
    if (pacer.period > 0) timeEndPeriod(1);
    pacer = FramePacer{};
}

uint32_t MillisecondsUntilFrame() {
    return SleepMilliseconds(TimeUntilFrame(pacer, NowMicroseconds()));
}

void NoteFrameRan() {
    FrameRan(pacer, NowMicroseconds());
}

void PaceFrame() {
    const uint32_t wait = MillisecondsUntilFrame();
    if (wait > 0) Sleep(wait);
    NoteFrameRan();
}

void TakeFrameDelta() {
    const uint32_t now = timeGetTime();
    frameDelta = FrameDeltaSeconds(now, lastFrameTime);
    lastFrameTime = timeGetTime();
}

void ResetFrameClock() {
    frameDelta = 0.0f;
    lastFrameTime = timeGetTime();
}

void Pause(unsigned milliseconds) {
    const uint32_t deadline = timeGetTime() + milliseconds;
    for (uint32_t now = timeGetTime(); !DeadlinePassed(now, deadline); now = timeGetTime()) {
        Sleep(deadline - now + 1);
    }
    ResetFrameClock();
}
