#pragma once
// Every user setting of section "Config" of koraven.ini, one process-wide variable per key.
// The fields carry the keys' own names. The values here start as the defaults; the settings
// reader replaces them at start-up.

#include "common/well_grid.h"

constexpr int kSettingSize = 256;
constexpr int kColourCount = 7;  // COLOR1 .. COLOR7

// The six fields of a news source, contiguous, in the order HTML, FILE, IGNORE, TAG, REJECT,
// UPDATE, so a whole record can be handed on by value.
struct NewsSource {
    char html[kSettingSize];
    char file[kSettingSize];
    char ignore[kSettingSize];
    char tag[kSettingSize];
    char reject[kSettingSize];
    char update[kSettingSize];
};

// Overlay slots of the SHOW_ flags, in key order.
enum ShowSlot {
    SLOT_INFO,
    SLOT_FPS,
    SLOT_TIME,
    SLOT_DATE,
    SLOT_MSG,
    SLOT_NEWS1,
    SLOT_NEWS2,
    kShownLines
};

struct Config {
    int R_SPEED;
    int D_SPEED;
    int MAYOI;
    int SUKIMA;
    int RESOLUTION;
    int MOUSESENSE;
    int TITLE;
    int FIXCOLOR;
    int SHOW[kShownLines];  // SHOW_INFO .. SHOW_NEWS2, indexed by ShowSlot
    char BLOCKFILE[kSettingSize];
    int WIDTH;
    int HEIGHT;
    float COLOR[kColourCount][3];  // COLOR1 .. COLOR7 as red, green, blue in 0..1
    char TEXT[kSettingSize];
    NewsSource NI[2];  // NI1_ and NI2_ records
    int USEGDI;        // 1: draw through GDI at the desktop's size, never through DirectDraw
};

extern Config config;

// Display size of each RESOLUTION row but the last; the last is the desktop's own size
// (settings/desktop_size.h).
constexpr int kResolutionCount = 6;
constexpr int kDesktopResolution = kResolutionCount - 1;
extern const int resolutionTable[kDesktopResolution][2];

// Width and height of the row that config.RESOLUTION selects (held to 0..5), or the desktop's
// size while it is in use.
int DisplayWidth();
int DisplayHeight();

// ---- The 39 keys of section "Config" and their value conversions -------------------------------

constexpr int kSettingCount = 39;  // the keys of section "Config"
constexpr int kIntTextSize = 40;        // buffer of ReadIntSetting
constexpr int kStringReadSize = 256;    // size given to the profile reader: 255 bytes and NUL
extern const char kSettingsSection[];   // "Config"
extern const char kSettingsFileName[];  // "koraven.ini"

enum SettingType { kIntSetting, kStringSetting, kColourSetting };

// The control of the configuration or news dialog that edits a key.
enum DialogControl { kNoControl, kTrackbarControl, kCheckBoxControl, kNewsEditControl };

// One key, in the order ReadSettings and WriteSettings take them.
struct SettingKey {
    const char* key;  // as in the file, e.g. "R_SPEED"
    SettingType type;
    const char* defaultText;  // the default as the reader passes it ("3", "koraven.x", "f7f773")
    int* intValue;            // kIntSetting: the variable
    char* text;               // kStringSetting: its 256-byte buffer
    int colour;               // kColourSetting: index 0..6 of config.COLOR
    int minValue;             // kIntSetting: the dialog's range, to which values read are clamped
    int maxValue;
    DialogControl control;  // how the dialogs edit it; kNoControl for the keys they edit alone
    int controlId;          // that control's resource id
    int labelId;            // a trackbar's value label
};

extern const SettingKey settingKeys[kSettingCount];

// Index of a key in settingKeys, -1 when there is none.
int FindSetting(const char* key);

// The standard library's atol: leading white space skipped, an optional sign, decimal digits up to
// the first other character; no digits give 0. Values beyond 32 bits are held to
// -2147483648..2147483647 (never undefined).
int ParseInt(const char* text);

// The standard library's itoa with radix 10 into out (at least 12 bytes): a '-' for negatives,
// no leading zeros. Returns out.
char* FormatInt(int value, char* out);

// An integer value read from the file, held to the key's dialog range.
int ClampSetting(const SettingKey& key, int value);

// Stores a value read for an integer key: clamped; after WIDTH and HEIGHT, the well's bounds
// follow.
void StoreIntSetting(const SettingKey& key, int value);

// Colour text to config.COLOR[index]: lower-cased in place, then its first six characters as
// hexadecimal digits (a character that is not one counts 0; the text may be shorter).
void ParseColour(int index, char* text);

// config.COLOR[index] as six lower-case hexadecimal digits "%06x", in a buffer that the next
// call reuses.
const char* FormatColour(int index);

// Every setting back to the default of its key, through the same conversions a value read from
// the file takes; the well's bounds with them. The start-up and the tests start from here.
void ResetSettings();
