#pragma once
// Every user setting of section "Config" of koraven.ini, one process-wide variable per key.
// The fields carry the keys' own names. The values here start as the defaults; the settings
// reader replaces them at start-up.

constexpr int XMIN = 10;  // first playfield column of the well
constexpr int YMIN = 10;  // top playfield row of the well
constexpr int kSettingSize = 256;

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

// Overlay slots of the seven SHOW_ flags, in key order.
enum ShowSlot { SLOT_INFO, SLOT_FPS, SLOT_TIME, SLOT_DATE, SLOT_MSG, SLOT_NEWS1, SLOT_NEWS2 };

struct Config {
    int R_SPEED;
    int D_SPEED;
    int MAYOI;
    int SUKIMA;
    int RESOLUTION;
    int MOUSESENSE;
    int TITLE;
    int FIXCOLOR;
    int SHOW[7];  // SHOW_INFO .. SHOW_NEWS2, indexed by ShowSlot
    char BLOCKFILE[kSettingSize];
    int WIDTH;
    int HEIGHT;
    float COLOR[7][3];  // COLOR1 .. COLOR7 as red, green, blue in 0..1
    char TEXT[kSettingSize];
    NewsSource NI[2];  // NI1_ and NI2_ records
};

extern Config config;

// Last column and bottom row of the well, derived when WIDTH and HEIGHT are read.
extern int XMAX;
extern int YMAX;

// Display size of each RESOLUTION row.
constexpr int kResolutionCount = 5;
extern const int resolutionTable[kResolutionCount][2];

// Width and height of the row that config.RESOLUTION selects (held to 0..4).
int DisplayWidth();
int DisplayHeight();

// ---- The 38 keys of section "Config" and their value conversions -------------------------------

constexpr int kSettingCount = 38;
constexpr int kColourCount = 7;
constexpr int kIntTextSize = 40;        // buffer of ReadIntSetting
constexpr int kStringReadSize = 256;    // size given to the profile reader: 255 bytes and NUL
extern const char kSettingsSection[];   // "Config"
extern const char kSettingsFileName[];  // "koraven.ini"

enum SettingType { kIntSetting, kStringSetting, kColourSetting };

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

// An integer value read from the file, held to the key's dialog range (DESIGN.md).
int ClampSetting(const SettingKey& key, int value);

// Stores a value read for an integer key: clamped; after WIDTH and HEIGHT, XMAX and YMAX follow.
void StoreIntSetting(const SettingKey& key, int value);

// Colour text to config.COLOR[index]: lower-cased in place, then its first six characters as
// hexadecimal digits (a character that is not one counts 0; the text may be shorter).
void ParseColour(int index, char* text);

// config.COLOR[index] as six lower-case hexadecimal digits "%06x", in a buffer that the next
// call reuses.
const char* FormatColour(int index);

// Cuts a NUL-terminated Shift-JIS text so that it does not end in a lone lead byte.
void TrimPartialSjis(char* text);

// Every setting back to its default, XMAX and YMAX with them (tests start from here).
void ResetSettings();
