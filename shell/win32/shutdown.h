#pragma once
// The one way the saver ends itself (Part 1.3); only the first call does anything. Always true.
bool Shutdown();

// Set by the first call of Shutdown.
extern bool shutdownDone;
