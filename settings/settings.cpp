// The settings table: every key's default, range and control, and the value conversions.
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "common/sjis.h"
#include "resources/dialog_ids.h"
#include "settings/desktop_size.h"

const int resolutionTable[kDesktopResolution][2] = {
    {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};

namespace {

int ResolutionRow() {
    int r = config.RESOLUTION;
    return r < 0 ? 0 : (r >= kDesktopResolution ? kDesktopResolution - 1 : r);
}

}  // namespace

// Zero until the start-up's ResetSettings gives every key its default.
Config config;

int DisplayWidth() {
    return DesktopSizeInUse() ? DesktopWidth() : resolutionTable[ResolutionRow()][0];
}
int DisplayHeight() {
    return DesktopSizeInUse() ? DesktopHeight() : resolutionTable[ResolutionRow()][1];
}

// ---- keys and conversions -----------------------------------------------------------------------

const char kSettingsSection[] = "Config";
const char kSettingsFileName[] = "koraven.ini";

namespace {

// A trackbar key: its range is the trackbar's.
constexpr SettingKey BarKey(const char* key, const char* def, int* v, int lo, int hi, int id,
                            int label) {
    return SettingKey{key, kIntSetting, def, v, nullptr, 0, lo, hi, kTrackbarControl, id, label};
}
// A check-box key: 0 or 1.
constexpr SettingKey FlagKey(const char* key, const char* def, int* v, int id) {
    return SettingKey{key, kIntSetting, def, v, nullptr, 0, 0, 1, kCheckBoxControl, id, 0};
}
constexpr SettingKey TextKey(const char* key, const char* def, char* text) {
    return SettingKey{key, kStringSetting, def, nullptr, text, 0, 0, 0, kNoControl, 0, 0};
}
constexpr SettingKey NewsKey(const char* key, const char* def, char* text, int id) {
    return SettingKey{key, kStringSetting, def, nullptr, text, 0, 0, 0, kNewsEditControl, id, 0};
}
constexpr SettingKey ColourKey(const char* key, const char* def, int index) {
    return SettingKey{key, kColourSetting, def, nullptr, nullptr, index, 0, 0, kNoControl, 0, 0};
}

}  // namespace

const SettingKey settingKeys[kSettingCount] = {
    BarKey("R_SPEED", "3", &config.R_SPEED, -18, 18, IDC_R_SPEED, IDC_R_SPEED_LABEL),
    BarKey("D_SPEED", "5", &config.D_SPEED, 1, 10, IDC_D_SPEED, IDC_D_SPEED_LABEL),
    BarKey("MAYOI", "5", &config.MAYOI, 0, 10, IDC_MAYOI, IDC_MAYOI_LABEL),
    BarKey("SUKIMA", "5", &config.SUKIMA, 0, 10, IDC_SUKIMA, IDC_SUKIMA_LABEL),
    BarKey("RESOLUTION", "0", &config.RESOLUTION, 0, kResolutionCount - 1, IDC_RESOLUTION,
           IDC_RESOLUTION_LABEL),
    FlagKey("MOUSESENSE", "1", &config.MOUSESENSE, IDC_MOUSESENSE),
    FlagKey("TITLE", "1", &config.TITLE, IDC_TITLE),
    FlagKey("FIXCOLOR", "1", &config.FIXCOLOR, IDC_FIXCOLOR),
    FlagKey("SHOW_INFO", "0", &config.SHOW[SLOT_INFO], IDC_SHOW_INFO),
    FlagKey("SHOW_FPS", "0", &config.SHOW[SLOT_FPS], IDC_SHOW_FPS),
    FlagKey("SHOW_TIME", "0", &config.SHOW[SLOT_TIME], IDC_SHOW_TIME),
    FlagKey("SHOW_DATE", "0", &config.SHOW[SLOT_DATE], IDC_SHOW_DATE),
    FlagKey("SHOW_MSG", "0", &config.SHOW[SLOT_MSG], IDC_SHOW_MSG),
    FlagKey("SHOW_NEWS1", "0", &config.SHOW[SLOT_NEWS1], IDC_SHOW_NEWS1),
    FlagKey("SHOW_NEWS2", "0", &config.SHOW[SLOT_NEWS2], IDC_SHOW_NEWS2),
    TextKey("BLOCKFILE", "koraven.x", config.BLOCKFILE),
    BarKey("WIDTH", "10", &config.WIDTH, 1, 30, IDC_WIDTH, IDC_WIDTH_LABEL),
    BarKey("HEIGHT", "20", &config.HEIGHT, 5, 30, IDC_HEIGHT, IDC_HEIGHT_LABEL),
    ColourKey("COLOR1", "f7f773", 0),
    ColourKey("COLOR2", "73e773", 1),
    ColourKey("COLOR3", "e794e7", 2),
    ColourKey("COLOR4", "59d2f7", 3),
    ColourKey("COLOR5", "f7b500", 4),
    ColourKey("COLOR6", "9494f7", 5),
    ColourKey("COLOR7", "f78484", 6),
    TextKey("TEXT", "伝言メッセージ", config.TEXT),
    NewsKey("NI1_HTML", "news1.example", config.NI[0].html, IDC_NI1_HTML),
    NewsKey("NI1_FILE", "http://news1.example/hl/index.html", config.NI[0].file, IDC_NI1_FILE),
    NewsKey("NI1_IGNORE", "<!--- /PHOTO_NEWS_TABLE -->", config.NI[0].ignore, IDC_NI1_IGNORE),
    NewsKey("NI1_TAG", "http://news1.example/hl?a=", config.NI[0].tag, IDC_NI1_TAG),
    NewsKey("NI1_REJECT", "]", config.NI[0].reject, IDC_NI1_REJECT),
    NewsKey("NI1_UPDATE", "600", config.NI[0].update, IDC_NI1_UPDATE),
    NewsKey("NI2_HTML", "news2.example", config.NI[1].html, IDC_NI2_HTML),
    NewsKey("NI2_FILE", "http://news2.example/fc/index.html", config.NI[1].file, IDC_NI2_FILE),
    NewsKey("NI2_IGNORE", "<!--- TOP_STORIES_TITLE_TABLE -->", config.NI[1].ignore, IDC_NI2_IGNORE),
    NewsKey("NI2_TAG", "http://news2.example/fc/", config.NI[1].tag, IDC_NI2_TAG),
    NewsKey("NI2_REJECT", "...", config.NI[1].reject, IDC_NI2_REJECT),
    NewsKey("NI2_UPDATE", "700", config.NI[1].update, IDC_NI2_UPDATE),
    FlagKey("USEGDI", "0", &config.USEGDI, IDC_USEGDI),
};

int FindSetting(const char* key) {
    for (int i = 0; i < kSettingCount; ++i) {
        if (std::strcmp(settingKeys[i].key, key) == 0) return i;
    }
    return -1;
}

int ParseInt(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate the magnitude, held just past the 32-bit range so it cannot overflow.
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= 2147483648LL) magnitude = magnitude * 10 + (*p - '0');
    }
    if (negative) {
        return magnitude >= 2147483648LL ? (-2147483647 - 1) : static_cast<int>(-magnitude);
    }
    return magnitude > 2147483647LL ? 2147483647 : static_cast<int>(magnitude);
}

char* FormatInt(int value, char* out) {
    char digits[12];
    int n = 0;
    // Work on the unsigned magnitude so that -2147483648 needs no special case.
    unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    char* p = out;
    if (value < 0) *p++ = '-';
    while (n > 0) *p++ = digits[--n];
    *p = '\0';
    return out;
}

int ClampSetting(const SettingKey& key, int value) {
    if (key.type != kIntSetting) return value;
    if (value < key.minValue) return key.minValue;
    if (value > key.maxValue) return key.maxValue;
    return value;
}

void StoreIntSetting(const SettingKey& key, int value) {
    if (key.type != kIntSetting || key.intValue == nullptr) return;
    *key.intValue = ClampSetting(key, value);
    if (key.intValue == &config.WIDTH || key.intValue == &config.HEIGHT) {
        SetWellBounds(config.WIDTH, config.HEIGHT);
    }
}

void ParseColour(int index, char* text) {
    if (index < 0 || index >= kColourCount) return;
    for (char* p = text; *p; ++p) {
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
    }
    int v = 0;
    bool ended = false;
    for (int i = 0; i < 6; ++i) {
        int d = 0;
        if (!ended && text[i] == '\0') ended = true;
        if (!ended) {
            const signed char c = static_cast<signed char>(text[i]);
            if (c >= '0' && c <= '9') {
                d = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                d = c - 'a' + 10;
            }
        }
        v = v * 16 + d;
    }
    const float scale = 1.0f / 255.0f;
    config.COLOR[index][0] = static_cast<float>((v >> 16) & 255) * scale;
    config.COLOR[index][1] = static_cast<float>((v >> 8) & 255) * scale;
    config.COLOR[index][2] = static_cast<float>(v & 255) * scale;
}

const char* FormatColour(int index) {
    static char text[16];
    if (index < 0 || index >= kColourCount) {
        text[0] = '\0';
        return text;
    }
    int t[3];
    for (int i = 0; i < 3; ++i) {
        const float c = config.COLOR[index][i] * 255.0f;
        // Truncation toward zero, as the file format has always had it; a component outside 0..1
        // (none that the reader or the colour picker makes) is held to one byte.
        int v = c >= 0.0f ? static_cast<int>(c) : 0;
        t[i] = v > 255 ? 255 : v;
    }
    std::snprintf(text, sizeof text, "%06x", t[0] * 65536 + t[1] * 256 + t[2]);
    return text;
}

void ResetSettings() {
    for (const SettingKey& k : settingKeys) {
        switch (k.type) {
            case kIntSetting: StoreIntSetting(k, ParseInt(k.defaultText)); break;
            case kStringSetting: CopyBounded(k.text, kSettingSize, k.defaultText); break;
            case kColourSetting: {
                char text[kSettingSize];
                CopyBounded(text, sizeof text, k.defaultText);
                ParseColour(k.colour, text);
                break;
            }
        }
    }
}
