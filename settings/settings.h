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
