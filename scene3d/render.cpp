// Renderer (being written): draws nothing yet.
#include "scene3d/scene.h"

namespace ka3D {

void RenderInto(const RenderTarget&) {}

}  // namespace ka3D
