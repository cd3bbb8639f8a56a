#pragma once
// The run mode from the command line, and the settings path and block-file pattern derived from
// the full command line. Portable: the Win32 entry hands the texts in.

#include <cstddef>

// What the command line asks for.
struct RunMode {
    bool config;         // configure mode: empty text, or second character 'c' / 'C'
    bool preview;        // preview mode: second character 'p' / 'P'
    long previewWindow;  // preview: atol of the text from its fourth character on (0 if shorter)
};

// Reads the mode from the command-line text after the program name (never null).
RunMode ParseRunMode(const char* commandLine);

// Sets the shell flags for the mode: configMode; in preview previewMode and
// runWhileInactive set, fullScreen and mouseEndsSaver cleared. (The configure-mode window flags
// are set later, by the entry.)
void ApplyRunMode(const RunMode& mode);

// settingsPath and blockPattern from the full command line (GetCommandLineA): the text after an
// opening quote (or all of it), with the first "koraven.scr" (else "KORAVEN.SCR") replaced by
// "koraven.ini" / "*.x" and everything after it dropped; the bare names when neither occurs.
// A command line longer than the buffers is cut first (kPathCapacity - 1 bytes).
void DerivePaths(const char* fullCommandLine);
