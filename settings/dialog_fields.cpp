#include "settings/dialog_fields.h"

#include <cstdio>
#include <cstdlib>

#include "resources/dialog_ids.h"
#include "settings/settings.h"

const TrackbarField trackbarFields[kTrackbarCount] = {
    {IDC_R_SPEED, IDC_R_SPEED_LABEL, -18, 18, &config.R_SPEED},
    {IDC_D_SPEED, IDC_D_SPEED_LABEL, 1, 10, &config.D_SPEED},
    {IDC_MAYOI, IDC_MAYOI_LABEL, 0, 10, &config.MAYOI},
    {IDC_SUKIMA, IDC_SUKIMA_LABEL, 0, 10, &config.SUKIMA},
    {IDC_RESOLUTION, IDC_RESOLUTION_LABEL, 0, kResolutionCount - 1, &config.RESOLUTION},
    {IDC_WIDTH, IDC_WIDTH_LABEL, 1, 30, &config.WIDTH},
    {IDC_HEIGHT, IDC_HEIGHT_LABEL, 5, 30, &config.HEIGHT},
};

const CheckBoxField checkBoxFields[kCheckBoxCount] = {
    {IDC_MOUSESENSE, &config.MOUSESENSE},       {IDC_TITLE, &config.TITLE},
    {IDC_FIXCOLOR, &config.FIXCOLOR},           {IDC_SHOW_INFO, &config.SHOW[SLOT_INFO]},
    {IDC_SHOW_FPS, &config.SHOW[SLOT_FPS]},     {IDC_SHOW_TIME, &config.SHOW[SLOT_TIME]},
    {IDC_SHOW_DATE, &config.SHOW[SLOT_DATE]},   {IDC_SHOW_MSG, &config.SHOW[SLOT_MSG]},
    {IDC_SHOW_NEWS1, &config.SHOW[SLOT_NEWS1]}, {IDC_SHOW_NEWS2, &config.SHOW[SLOT_NEWS2]},
    {IDC_USEGDI, &config.USEGDI},
};

const NewsField newsFields[kNewsFieldCount] = {
    {IDC_NI1_HTML, config.NI[0].html},     {IDC_NI1_FILE, config.NI[0].file},
    {IDC_NI1_IGNORE, config.NI[0].ignore}, {IDC_NI1_TAG, config.NI[0].tag},
    {IDC_NI1_REJECT, config.NI[0].reject}, {IDC_NI1_UPDATE, config.NI[0].update},
    {IDC_NI2_HTML, config.NI[1].html},     {IDC_NI2_FILE, config.NI[1].file},
    {IDC_NI2_IGNORE, config.NI[1].ignore}, {IDC_NI2_TAG, config.NI[1].tag},
    {IDC_NI2_REJECT, config.NI[1].reject}, {IDC_NI2_UPDATE, config.NI[1].update},
};

long TrackbarRange(int minValue, int maxValue) {
    const unsigned long low = static_cast<unsigned long>(minValue) & 0xFFFFu;
    const unsigned long high = static_cast<unsigned long>(maxValue) & 0xFFFFu;
    return static_cast<long>(low | (high << 16));
}

void FormatTrackbarLabel(const TrackbarField& field, char* out) {
    if (field.id == IDC_RESOLUTION) {
        std::snprintf(out, kLabelTextSize, "%dx%d", DisplayWidth(), DisplayHeight());
    } else {
        const int scale = field.id == IDC_R_SPEED ? 10 : 1;
        std::snprintf(out, kLabelTextSize, "%d", *field.value * scale);
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
