#pragma once
// Surfaces of our own for the GDI present path, where DirectDraw gives no full screen. They take
// the place of DirectDraw's surfaces behind the same interface, so the sprite table, the text
// compositor and the 3D layer use them unchanged:
//   a picture surface is a top-down 32-bit DIB section (X8R8G8B8) with a memory device context
//   of its own: Lock/Unlock, GetDC/ReleaseDC, colour fills, opaque, keyed and stretched copies
//   from another picture surface, a source colour key, its pixel format and description;
//   a depth surface is 16-bit depth memory that only locks.
// Neither is ever lost (IsLost and Restore answer DD_OK); whatever else DirectDraw's surfaces do
// answers DDERR_UNSUPPORTED.
#include <windows.h>
#include <ddraw.h>

namespace kaDraw {

// A surface made after DirectDraw's description: a Z-buffer (DDSCAPS_ZBUFFER) becomes a depth
// surface, anything else a picture surface of the description's width and height. DD_OK with
// one reference in *surface; DDERR_INVALIDPARAMS for a size that is not positive or lacking,
// DDERR_OUTOFMEMORY when the bitmap or memory cannot be had (*surface null then).
HRESULT CreateOwnSurface(const DDSURFACEDESC& desc, IDirectDrawSurface** surface);

// The memory device context a picture surface keeps its bitmap in, for presenting it with GDI;
// null for any other surface. Pending GDI drawing is flushed by ReleaseDC and Lock, so what the
// context holds is the surface's picture.
HDC OwnSurfaceDC(IDirectDrawSurface* surface);

}  // namespace kaDraw
