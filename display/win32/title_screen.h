#pragma once
// The title screen: the first run state. Runs its whole sequence in one call and leaves
// runState at 2.
void RunTitleScreen();
