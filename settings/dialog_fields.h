#pragma once
// What the two settings dialogs show and take beyond the settings table: the trackbars' value
// labels and range argument, the limits of the texts read back, and the colour buttons' values.
// Portable; the dialog procedures walk the settings table for the controls of each key.

#include "settings/settings.h"

constexpr int kLabelTextSize = 16;

// Bytes with the terminator that a text read back from a control may take.
constexpr int kBlockFileReadSize = 256;
constexpr int kMessageReadSize = 200;
constexpr int kNewsReadSize = 256;

// A trackbar range as one message argument: the minimum in the low 16 bits (a negative minimum as
// its 16-bit two's complement), the maximum in the high 16 bits.
long TrackbarRange(int minValue, int maxValue);

// The text of a trackbar's value label for the setting's current value, into out
// (kLabelTextSize bytes): R_SPEED x 10 (degrees per second), RESOLUTION as "WIDTHxHEIGHT" of its
// table row, every other one as its value.
void FormatTrackbarLabel(const SettingKey& key, char* out);

// Piece colour index (0 to 6) as a system colour value red + green x 256 + blue x 65536, each
// component converted as the settings file does it.
unsigned long ColourValue(int index);

// Piece colour index := the components of a system colour value (red in the low byte), converted
// as the settings file does it.
void SetColourValue(int index, unsigned long value);
