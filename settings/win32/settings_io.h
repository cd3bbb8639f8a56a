#pragma once
// The settings file through the system's profile functions: section "Config" of the
// file at settingsPath, one key at a time. Results of the profile functions are not
// examined: a file that cannot be written leaves the values in memory as read.

// Every key in order (settingKeys); integers held to their dialog ranges, XMAX and YMAX derived.
void ReadSettings();

// Every key in the same order.
void WriteSettings();

// GetPrivateProfileStringA with a 40-character buffer, then atol.
int ReadIntSetting(const char* key, const char* defaultText);

// GetPrivateProfileStringA into buffer (256 bytes) with size 256: at most 255 bytes, cut at
// a whole Shift-JIS character.
void ReadStringSetting(const char* key, const char* defaultText, char* buffer);

// The value as itoa radix 10 text.
void WriteIntSetting(const char* key, int value);

void WriteStringSetting(const char* key, const char* text);
