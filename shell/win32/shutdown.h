#pragma once
// The one way the saver ends itself: releases everything the display, the sprite table, the 3D
// layer, the fonts, sound and the shell hold, then asks the main window to close. Any number of
// calls; only the first does anything. Always true.
bool Shutdown();

// Set by the first call of Shutdown.
extern bool shutdownDone;
