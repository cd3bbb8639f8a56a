#pragma once
// The frame clock and the frame pacing on the system's clocks: the shell's loop runs a frame
// when one is due, and the title screen paces the pictures it draws within one frame.
#include <cstdint>

// Paces the frames at hz a second from now on (timers at a resolution of 1 ms while it runs).
void StartFramePacing(int hz);
// Ends the timer resolution StartFramePacing asked for; nothing when pacing never started.
void StopFramePacing();
// Milliseconds the loop may sleep before the next frame is due; 0 when one is due now.
uint32_t MillisecondsUntilFrame();
// A frame of the loop has run.
void NoteFrameRan();
// For loops that draw several pictures within one frame of the loop (the title's fade): sleeps
// until the next picture is due and counts it as drawn.
void PaceFrame();
// frameDelta := time since the last frame; lastFrameTime := now. Every frame of the loop.
void TakeFrameDelta();
// frameDelta := 0 and lastFrameTime := timeGetTime(). Used on activation and by Pause.
void ResetFrameClock();
// Sleeps until timeGetTime() passes now + milliseconds (no messages handled), then
// ResetFrameClock().
void Pause(unsigned milliseconds);
