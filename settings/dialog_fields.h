#pragma once
// What the two settings dialogs show and take, as tables over the settings variables: the seven
// trackbars with their ranges and value labels, the ten check boxes, the twelve news edits, and
// the limits of the texts read back. Portable; the dialog procedures walk these tables.

constexpr int kTrackbarCount = 7;
constexpr int kCheckBoxCount = 11;
constexpr int kNewsFieldCount = 12;
constexpr int kLabelTextSize = 16;

// Bytes with the terminator that a text read back from a control may take.
constexpr int kBlockFileReadSize = 256;
constexpr int kMessageReadSize = 200;
constexpr int kNewsReadSize = 256;

struct TrackbarField {
    int id;       // the trackbar
    int labelId;  // the static that shows its value
    int minValue;
    int maxValue;
    int* value;  // the setting
};

struct CheckBoxField {
    int id;
    int* value;  // 0 or 1
};

struct NewsField {
    int id;      // the edit of the news dialog
    char* text;  // the setting's 256-byte buffer
};

// R_SPEED, D_SPEED, MAYOI, SUKIMA, RESOLUTION, WIDTH, HEIGHT.
extern const TrackbarField trackbarFields[kTrackbarCount];
// MOUSESENSE, TITLE, FIXCOLOR, then SHOW_INFO .. SHOW_NEWS2.
extern const CheckBoxField checkBoxFields[kCheckBoxCount];
// The order in which the news dialog fills and reads its edits: source 1 HTML, FILE, IGNORE, TAG,
// REJECT, UPDATE, then source 2 likewise.
extern const NewsField newsFields[kNewsFieldCount];

// A trackbar range as one message argument: the minimum in the low 16 bits (a negative minimum as
// its 16-bit two's complement), the maximum in the high 16 bits.
long TrackbarRange(int minValue, int maxValue);

// The text of a trackbar's value label for the setting's current value, into out
// (kLabelTextSize bytes): R_SPEED x 10 (degrees per second), RESOLUTION as "WIDTHxHEIGHT" of its
// table row, every other one as its value.
void FormatTrackbarLabel(const TrackbarField& field, char* out);

// Piece colour index (0 to 6) as a system colour value red + green x 256 + blue x 65536, each
// component converted as the settings file does it.
unsigned long ColourValue(int index);

// Piece colour index := the components of a system colour value (red in the low byte), converted
// as the settings file does it.
void SetColourValue(int index, unsigned long value);
