#pragma once
// The folder of the program file, with its trailing backslash, from which block shape files
// are loaded. The Win32 layer sets the module path at start-up; native tests set it directly.

constexpr int kProgramDirectorySize = 256;

// Remembers the program file's full path (bounded copy).
void SetModulePath(const char* path);

// The folder part of that path up to and including its last backslash (or slash), in a
// shared buffer; empty when the path has no separator.
const char* ProgramDirectory();
