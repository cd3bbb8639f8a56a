// The target the per-frame render draws into, given by whoever owns the pixels.
#include "scene3d/ka3d.h"

namespace ka3D {

namespace {
RenderTargetSource targetSource = nullptr;
}  // namespace

void SetRenderTargetSource(RenderTargetSource source) {
    targetSource = source;
}

void Render() {
    RenderTarget target{};
    if (targetSource && targetSource(target)) RenderInto(target);
}

}  // namespace ka3D
