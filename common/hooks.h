#pragma once
// The calls a lower layer makes into a higher one where the program's order of steps needs them.
// Each is set once, before the run starts, by the shell's RegisterHooks (which knows every
// layer); a hook that is not set does nothing. Two more hand-overs of the same kind sit with the
// data they carry: errorBox (common/error_report.h), the message box the display installs for
// the error report, the 3D layer's render target (ka3D::SetRenderTargetSource), which the
// display set-up gives before it creates the 3D device, and the news dialog's try buttons
// (RegisterNewsTry, settings/win32/news_try.h), which RegisterHooks points at the news fetch.
#include <cstdint>

struct Hooks {
    // The display set-up, after opening sound: the held key dropped and, in full screen, the
    // cursor confined (the shell's input state).
    void (*resetInput)();
    // The display set-up, as its last step: the shared font description allocated (the text
    // layer).
    void (*allocateFonts)();
    // The title screen, for each of its pictures: the text of size `size` (face 2) in the GDI
    // colour `colour` laid out in the box, on a cleared back screen, presented (the text
    // layer's compositor around the display's clear and present).
    void (*showTextPicture)(int size, uint32_t colour, int left, int top, int right, int bottom,
                            const char* text);
    // The configuration dialog's OK and Cancel, and a game frame whose held key is none of the
    // game's: the saver ends (the shell's Shutdown).
    bool (*endSaver)();
};

extern Hooks hooks;
