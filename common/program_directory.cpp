// The program's folder, from which block shape files are loaded.
#include "common/program_directory.h"

#include <cstring>

#include "common/sjis.h"

namespace {
char modulePath[kProgramDirectorySize];
char directory[kProgramDirectorySize];
}  // namespace

void SetModulePath(const char* path) {
    CopyBounded(modulePath, kProgramDirectorySize, path ? path : "");
}

const char* ProgramDirectory() {
    std::memcpy(directory, modulePath, sizeof directory);
    char* cut = nullptr;
    for (char* p = directory; *p; ++p) {
        if (*p == '\\' || *p == '/') cut = p;
    }
    if (cut) {
        cut[1] = '\0';
    } else {
        directory[0] = '\0';
    }
    return directory;
}
