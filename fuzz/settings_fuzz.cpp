// libFuzzer target over the settings value conversions and the command-line
// derivations: arbitrary bytes as an integer text, a colour text, a command line and a
// full command line; nothing may read or write outside its buffers, and the results stay sound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/shell_state.h"
#include "common/sjis.h"
#include "settings/settings.h"
#include "shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The profile reader hands over at most 39 (integers) or 254 (strings) bytes, NUL-ended.
    char intText[kIntTextSize];
    size_t n = size < sizeof intText - 1 ? size : sizeof intText - 1;
    std::memcpy(intText, data, n);
    intText[n] = '\0';
    const int v = ParseInt(intText);
    char formatted[12];
    if (ParseInt(FormatInt(v, formatted)) != v) std::abort();
    for (const SettingKey& k : settingKeys) {
        if (k.type != kIntSetting) continue;
        StoreIntSetting(k, v);
        if (*k.intValue < k.minValue || *k.intValue > k.maxValue) std::abort();
    }
    if (XMAX < XMIN || XMAX > XMIN + 29 || YMAX < YMIN || YMAX > YMIN + 29) std::abort();
    if (DisplayWidth() < 640 || DisplayWidth() > 1600) std::abort();

    char colourText[kSettingSize];
    n = size < kStringReadSize - 1 ? size : kStringReadSize - 1;
    std::memcpy(colourText, data, n);
    colourText[n] = '\0';
    ParseColour(static_cast<int>(size % kColourCount), colourText);
    const char* hex = FormatColour(static_cast<int>(size % kColourCount));
    if (std::strlen(hex) != 6) std::abort();
    char again[8];
    std::memcpy(again, hex, 7);
    ParseColour(0, again);
    if (std::strcmp(FormatColour(0), again) != 0) std::abort();
    TrimPartialSjis(colourText);

    // Command lines of any length (a heap copy, so that reads past the end are caught).
    char* line = static_cast<char*>(std::malloc(size + 1));
    std::memcpy(line, data, size);
    line[size] = '\0';
    RunMode mode = ParseRunMode(line);
    if (mode.config && mode.preview) std::abort();
    DerivePaths(line);
    if (std::strlen(settingsPath) >= static_cast<size_t>(kPathCapacity)) std::abort();
    if (std::strlen(blockPattern) >= static_cast<size_t>(kPathCapacity)) std::abort();
    std::free(line);
    ResetSettings();
    return 0;
}
