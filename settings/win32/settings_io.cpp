// Reading and writing section "Config" of koraven.ini with the profile functions.
#include "settings/win32/settings_io.h"

#include <windows.h>

#include "common/sjis.h"
#include "settings/settings.h"
#include "common/shell_state.h"

int ReadIntSetting(const char* key, const char* defaultText) {
    char buffer[kIntTextSize];
    buffer[0] = '\0';
    GetPrivateProfileStringA(kSettingsSection, key, defaultText, buffer, kIntTextSize,
                             settingsPath);
    buffer[kIntTextSize - 1] = '\0';
    return ParseInt(buffer);
}

void ReadStringSetting(const char* key, const char* defaultText, char* buffer) {
    buffer[0] = '\0';
    GetPrivateProfileStringA(kSettingsSection, key, defaultText, buffer, kStringReadSize,
                             settingsPath);
    buffer[kStringReadSize - 1] = '\0';
    TrimPartialSjis(buffer);
}

void WriteIntSetting(const char* key, int value) {
    char text[12];
    WritePrivateProfileStringA(kSettingsSection, key, FormatInt(value, text), settingsPath);
}

void WriteStringSetting(const char* key, const char* text) {
    WritePrivateProfileStringA(kSettingsSection, key, text, settingsPath);
}

void ReadSettings() {
    for (const SettingKey& k : settingKeys) {
        switch (k.type) {
            case kIntSetting: StoreIntSetting(k, ReadIntSetting(k.key, k.defaultText)); break;
            case kStringSetting: ReadStringSetting(k.key, k.defaultText, k.text); break;
            case kColourSetting: {
                char scratch[kSettingSize];
                ReadStringSetting(k.key, k.defaultText, scratch);
                ParseColour(k.colour, scratch);
                break;
            }
        }
    }
}

void WriteSettings() {
    for (const SettingKey& k : settingKeys) {
        switch (k.type) {
            case kIntSetting: WriteIntSetting(k.key, *k.intValue); break;
            case kStringSetting: WriteStringSetting(k.key, k.text); break;
            case kColourSetting: WriteStringSetting(k.key, FormatColour(k.colour)); break;
        }
    }
}
