#include "settings/settings.h"

#include <cstring>

const int resolutionTable[kResolutionCount][2] = {
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

int DisplayWidth() { return resolutionTable[ResolutionRow()][0]; }
int DisplayHeight() { return resolutionTable[ResolutionRow()][1]; }
