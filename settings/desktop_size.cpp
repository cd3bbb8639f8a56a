#include "settings/desktop_size.h"

#include "settings/settings.h"

namespace {

int desktopWidth = 0;
int desktopHeight = 0;
bool fellBack = false;

}  // namespace

void SetDesktopSize(int width, int height) {
    const bool valid = width > 0 && height > 0;
    desktopWidth = valid ? width : 0;
    desktopHeight = valid ? height : 0;
}

int DesktopWidth() {
    return desktopWidth > 0 ? desktopWidth : resolutionTable[0][0];
}

int DesktopHeight() {
    return desktopHeight > 0 ? desktopHeight : resolutionTable[0][1];
}

bool DesktopSizeInUse() {
    return fellBack || config.RESOLUTION >= kDesktopResolution;
}

void SetDesktopFallBack(bool on) {
    fellBack = on;
}
