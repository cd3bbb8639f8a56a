// The run mode from the command line, and the paths derived from it.
#include "shell/command_line.h"

#include <cstring>

#include "settings/settings.h"
#include "common/shell_state.h"
#include "common/sjis.h"

RunMode ParseRunMode(const char* c) {
    RunMode mode{false, false, 0};
    if (c[0] == '\0') {
        mode.config = true;
        return mode;
    }
    const char second = c[1];
    if (second == 'c' || second == 'C') mode.config = true;
    if (second == 'p' || second == 'P') {
        mode.preview = true;
        // The number starts at the fourth character; a shorter text has none.
        mode.previewWindow = (c[2] != '\0') ? ParseInt(c + 3) : 0;
    }
    return mode;
}

void ApplyRunMode(const RunMode& mode) {
    configMode = mode.config;
    if (mode.preview) {
        previewMode = true;
        runWhileInactive = true;
        fullScreen = false;
        mouseEndsSaver = false;
    }
}

namespace {

// In path, replaces the first "koraven.scr" (else "KORAVEN.SCR") by replacement, dropping the
// rest; becomes the bare replacement when neither is found. replacement is never longer than the
// name, so the result always fits where the name stood.
void ReplaceProgramName(char* path, const char* replacement) {
    char* at = std::strstr(path, "koraven.scr");
    if (at == nullptr) at = std::strstr(path, "KORAVEN.SCR");
    if (at == nullptr) at = path;
    std::strcpy(at, replacement);
}

}  // namespace

void DerivePaths(const char* fullCommandLine) {
    const char* start = fullCommandLine[0] == '"' ? fullCommandLine + 1 : fullCommandLine;
    CopyBounded(settingsPath, kPathCapacity, start);
    std::memcpy(blockPattern, settingsPath, kPathCapacity);
    ReplaceProgramName(settingsPath, "koraven.ini");
    ReplaceProgramName(blockPattern, "*.x");
}
