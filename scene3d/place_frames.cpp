// Frames placed from a table of integer positions, as the block grid keeps them.
#include "scene3d/ka3d.h"

namespace ka3D {

void PlaceFrames(Frame* const* frames, const int (*positions)[3], int count) {
    for (int i = 0; i < count; ++i) {
        if (frames[i] == nullptr) continue;
        SetFramePosition(frames[i], static_cast<float>(positions[i][0]),
                         static_cast<float>(positions[i][1]), static_cast<float>(positions[i][2]));
    }
}

}  // namespace ka3D
