#pragma once
// Every subsystem's process-wide state back to its start values, each through the reset the
// subsystem owns, in the order the start-up needs them: the shell's state, the settings (and the
// well's bounds with them), the news store, the overlay lines and the news jobs, the mouse, the
// game. The entry calls it once before anything else; tests call it between cases.
void ResetProcessState();
