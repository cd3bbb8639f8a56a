// Values the settings dialogs show: trackbar labels and ranges, colour button values.
#include "settings/dialog_fields.h"

#include <cstdio>
#include <cstdlib>

#include "settings/settings.h"

long TrackbarRange(int minValue, int maxValue) {
    const unsigned long low = static_cast<unsigned long>(minValue) & 0xFFFFu;
    const unsigned long high = static_cast<unsigned long>(maxValue) & 0xFFFFu;
    return static_cast<long>(low | (high << 16));
}

void FormatTrackbarLabel(const SettingKey& key, char* out) {
    if (key.intValue == &config.RESOLUTION) {
        std::snprintf(out, kLabelTextSize, "%dx%d", DisplayWidth(), DisplayHeight());
    } else {
        const int scale = key.intValue == &config.R_SPEED ? 10 : 1;
        std::snprintf(out, kLabelTextSize, "%d", *key.intValue * scale);
    }
}

// Both directions go through the settings file's own text form, so a colour picked in the dialog
// is exactly the colour that the file then holds.
unsigned long ColourValue(int index) {
    const unsigned long rgb = std::strtoul(FormatColour(index), nullptr, 16);
    return ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
}

void SetColourValue(int index, unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02lx%02lx%02lx", value & 0xFFu, (value >> 8) & 0xFFu,
                  (value >> 16) & 0xFFu);
    ParseColour(index, text);
}
