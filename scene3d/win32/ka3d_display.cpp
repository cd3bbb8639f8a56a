// The display's side of the 3D layer's configuration.
#include "scene3d/win32/ka3d_win32.h"

namespace ka3D {

namespace {
int zDepth = 16;
bool zInVideo = false;
}  // namespace

void SetDisplayForConfig(int, int, unsigned long) {}

int ZBufferDepth() {
    return zDepth;
}

bool ZBufferInVideoMemory() {
    return zInVideo;
}

}  // namespace ka3D
