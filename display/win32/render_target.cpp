// The 3D layer's render target: the locked 3D sprite and Z-buffer, described in whatever pixel
// format the 3D sprite has.
#include "display/win32/kadraw.h"
#include "scene3d/ka3d.h"
#include "scene3d/render_bands.h"

namespace kaDraw {

bool LockRenderTarget(ka3D::RenderTarget& target) {
    // The locks stay from frame to frame (see kaDraw::LockRenderSurfaces).
    DDSURFACEDESC* colorDesc = nullptr;
    DDSURFACEDESC* depthDesc = nullptr;
    if (!LockRenderSurfaces(colorDesc, depthDesc)) return false;
    // Only the renderer writes into the 3D sprite and the Z-buffer, so a picture clears just
    // what the last one and it cover; after a restore their contents are gone.
    static unsigned long restoresSeen = 0;
    if (restoreCount != restoresSeen) {
        restoresSeen = restoreCount;
        ka3D::ForgetLastPictures();
    }
    ka3D::KeepPictures(true);
    const DDSURFACEDESC& color = *colorDesc;
    const DDSURFACEDESC& depth = *depthDesc;
    const DDPIXELFORMAT& format = color.ddpfPixelFormat;
    const int bits = static_cast<int>(format.dwRGBBitCount);
    // The renderer writes 16-, 24- and 32-bit RGB pixels over a 16-bit depth buffer; anything
    // else (a palette surface, a deeper Z-buffer) is left undrawn rather than misread.
    const DWORD depthBits = (depth.dwFlags & DDSD_ZBUFFERBITDEPTH)
                                ? depth.dwZBufferBitDepth
                                : depth.ddpfPixelFormat.dwZBufferBitDepth;
    const bool drawable = (bits == 16 || bits == 24 || bits == 32) && format.dwRBitMask &&
                          format.dwGBitMask && format.dwBBitMask && depthBits == 16;
    if (!drawable) return false;
    target.color = color.lpSurface;
    target.colorPitch = static_cast<int>(color.lPitch);
    target.width = static_cast<int>(color.dwWidth);
    target.height = static_cast<int>(color.dwHeight);
    target.bitsPerPixel = bits;
    target.redMask = format.dwRBitMask;
    target.greenMask = format.dwGBitMask;
    target.blueMask = format.dwBBitMask;
    target.depth = static_cast<uint16_t*>(depth.lpSurface);
    target.depthPitch = static_cast<int>(depth.lPitch);
    if (static_cast<int>(depth.dwWidth) < target.width)
        target.width = static_cast<int>(depth.dwWidth);
    if (static_cast<int>(depth.dwHeight) < target.height)
        target.height = static_cast<int>(depth.dwHeight);
    return true;
}

}  // namespace kaDraw
