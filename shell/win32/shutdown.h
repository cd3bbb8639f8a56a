#pragma once
// The one way the saver ends itself; only the first call does anything. Always true.
bool Shutdown();
