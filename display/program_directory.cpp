#include "display/program_directory.h"

#include <cstring>

namespace kaDraw {

namespace {
char modulePath[kProgramDirectorySize];
char directory[kProgramDirectorySize];
}  // namespace

void SetModulePath(const char* path) {
    std::strncpy(modulePath, path ? path : "", kProgramDirectorySize - 1);
    modulePath[kProgramDirectorySize - 1] = '\0';
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

}  // namespace kaDraw
