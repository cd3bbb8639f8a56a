#pragma once
// Where the settings file lives.
//
// The path derived from the command line (beside the program, or the bare "koraven.ini" that the
// profile functions resolve in the Windows folder) is kept whenever that file can be written, or,
// when there is no such file yet, whenever its folder can. Savers are installed in the system
// folder, which an ordinary user cannot write and which a 64-bit program sees without file
// virtualisation: there the settings go to a per-user copy, <application data>\KORAVEN\koraven.ini.
// A new copy starts as a byte-for-byte copy of the file at the derived path when there is one (an
// administrator's settings); later starts read and write the copy.

#include <string>

// The user's application-data folder (CSIDL_APPDATA, else %APPDATA%); empty when there is none.
std::wstring UserAppDataFolder();

// Points settingsPath (derived from the command line) at the file to read and write, using
// appDataFolder for the per-user copy. Returns true when the per-user copy was chosen. When that
// copy can be neither found nor created, or its path does not fit settingsPath in the ANSI code
// page, settingsPath stays as derived.
bool ChooseSettingsFile(const std::wstring& appDataFolder);
