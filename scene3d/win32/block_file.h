#pragma once
// Block shape files beside the program, opened by their wide names: a name stored in Shift-JIS
// (BLOCKFILE) opens whatever the system's ANSI code page.

#include <cstdio>

// The file name (Shift-JIS) in the program's folder, open for reading in binary; null when it
// cannot be opened.
std::FILE* OpenBlockFile(const char* name);
