#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "settings/desktop_size.h"

const int resolutionTable[kDesktopResolution][2] = {
    {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};

namespace {

void SetText(char* field, const char* text) {
    std::strncpy(field, text, kSettingSize - 1);
    field[kSettingSize - 1] = '\0';
}

void SetColour(float* rgb, unsigned hex) {
    const float scale = 1.0f / 255.0f;
    rgb[0] = static_cast<float>((hex >> 16) & 255) * scale;
    rgb[1] = static_cast<float>((hex >> 8) & 255) * scale;
    rgb[2] = static_cast<float>(hex & 255) * scale;
}

Config DefaultConfig() {
    Config c{};
    c.R_SPEED = 3;
    c.D_SPEED = 5;
    c.MAYOI = 5;
    c.SUKIMA = 5;
    c.RESOLUTION = 0;
    c.MOUSESENSE = 1;
    c.TITLE = 1;
    c.FIXCOLOR = 1;
    SetText(c.BLOCKFILE, "koraven.x");
    c.WIDTH = 10;
    c.HEIGHT = 20;
    const unsigned colours[7] = {0xf7f773, 0x73e773, 0xe794e7, 0x59d2f7,
                                 0xf7b500, 0x9494f7, 0xf78484};
    for (int i = 0; i < 7; ++i) SetColour(c.COLOR[i], colours[i]);
    SetText(c.TEXT, "伝言メッセージ");
    SetText(c.NI[0].html, "news1.example");
    SetText(c.NI[0].file, "http://news1.example/hl/index.html");
    SetText(c.NI[0].ignore, "<!--- /PHOTO_NEWS_TABLE -->");
    SetText(c.NI[0].tag, "http://news1.example/hl?a=");
    SetText(c.NI[0].reject, "]");
    SetText(c.NI[0].update, "600");
    SetText(c.NI[1].html, "news2.example");
    SetText(c.NI[1].file, "http://news2.example/fc/index.html");
    SetText(c.NI[1].ignore, "<!--- TOP_STORIES_TITLE_TABLE -->");
    SetText(c.NI[1].tag, "http://news2.example/fc/");
    SetText(c.NI[1].reject, "...");
    SetText(c.NI[1].update, "700");
    return c;
}

int ResolutionRow() {
    int r = config.RESOLUTION;
    return r < 0 ? 0 : (r >= kResolutionCount ? kResolutionCount - 1 : r);
}

}  // namespace

Config config = DefaultConfig();
int XMAX = XMIN + 10 - 1;
int YMAX = YMIN + 20 - 1;

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

constexpr SettingKey IntKey(const char* key, const char* def, int* v, int lo, int hi) {
    return SettingKey{key, kIntSetting, def, v, nullptr, 0, lo, hi};
}
constexpr SettingKey TextKey(const char* key, const char* def, char* text) {
    return SettingKey{key, kStringSetting, def, nullptr, text, 0, 0, 0};
}
constexpr SettingKey ColourKey(const char* key, const char* def, int index) {
    return SettingKey{key, kColourSetting, def, nullptr, nullptr, index, 0, 0};
}

}  // namespace

const SettingKey settingKeys[kSettingCount] = {
    IntKey("R_SPEED", "3", &config.R_SPEED, -18, 18),
    IntKey("D_SPEED", "5", &config.D_SPEED, 1, 10),
    IntKey("MAYOI", "5", &config.MAYOI, 0, 10),
    IntKey("SUKIMA", "5", &config.SUKIMA, 0, 10),
    IntKey("RESOLUTION", "0", &config.RESOLUTION, 0, kResolutionCount - 1),
    IntKey("MOUSESENSE", "1", &config.MOUSESENSE, 0, 1),
    IntKey("TITLE", "1", &config.TITLE, 0, 1),
    IntKey("FIXCOLOR", "1", &config.FIXCOLOR, 0, 1),
    IntKey("SHOW_INFO", "0", &config.SHOW[SLOT_INFO], 0, 1),
    IntKey("SHOW_FPS", "0", &config.SHOW[SLOT_FPS], 0, 1),
    IntKey("SHOW_TIME", "0", &config.SHOW[SLOT_TIME], 0, 1),
    IntKey("SHOW_DATE", "0", &config.SHOW[SLOT_DATE], 0, 1),
    IntKey("SHOW_MSG", "0", &config.SHOW[SLOT_MSG], 0, 1),
    IntKey("SHOW_NEWS1", "0", &config.SHOW[SLOT_NEWS1], 0, 1),
    IntKey("SHOW_NEWS2", "0", &config.SHOW[SLOT_NEWS2], 0, 1),
    TextKey("BLOCKFILE", "koraven.x", config.BLOCKFILE),
    IntKey("WIDTH", "10", &config.WIDTH, 1, 30),
    IntKey("HEIGHT", "20", &config.HEIGHT, 5, 30),
    ColourKey("COLOR1", "f7f773", 0),
    ColourKey("COLOR2", "73e773", 1),
    ColourKey("COLOR3", "e794e7", 2),
    ColourKey("COLOR4", "59d2f7", 3),
    ColourKey("COLOR5", "f7b500", 4),
    ColourKey("COLOR6", "9494f7", 5),
    ColourKey("COLOR7", "f78484", 6),
    TextKey("TEXT", "伝言メッセージ", config.TEXT),
    TextKey("NI1_HTML", "news1.example", config.NI[0].html),
    TextKey("NI1_FILE", "http://news1.example/hl/index.html", config.NI[0].file),
    TextKey("NI1_IGNORE", "<!--- /PHOTO_NEWS_TABLE -->", config.NI[0].ignore),
    TextKey("NI1_TAG", "http://news1.example/hl?a=", config.NI[0].tag),
    TextKey("NI1_REJECT", "]", config.NI[0].reject),
    TextKey("NI1_UPDATE", "600", config.NI[0].update),
    TextKey("NI2_HTML", "news2.example", config.NI[1].html),
    TextKey("NI2_FILE", "http://news2.example/fc/index.html", config.NI[1].file),
    TextKey("NI2_IGNORE", "<!--- TOP_STORIES_TITLE_TABLE -->", config.NI[1].ignore),
    TextKey("NI2_TAG", "http://news2.example/fc/", config.NI[1].tag),
    TextKey("NI2_REJECT", "...", config.NI[1].reject),
    TextKey("NI2_UPDATE", "700", config.NI[1].update),
    IntKey("USEGDI", "0", &config.USEGDI, 0, 1),
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
        XMAX = XMIN + config.WIDTH - 1;
        YMAX = YMIN + config.HEIGHT - 1;
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

void TrimPartialSjis(char* text) {
    char* p = text;
    while (*p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (lead) {
            if (p[1] == '\0') {
                *p = '\0';
                return;
            }
            p += 2;
        } else {
            ++p;
        }
    }
}

void ResetSettings() {
    config = DefaultConfig();
    XMAX = XMIN + config.WIDTH - 1;
    YMAX = YMIN + config.HEIGHT - 1;
}
