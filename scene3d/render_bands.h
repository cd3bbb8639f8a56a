#pragma once
// The renderer's picture drawn in horizontal bands, on every core: worker threads started at the
// first render that uses them and kept until the layer is released, the calling thread drawing
// bands beside them. Each band clears and draws only its own rows, so the bands give the very
// pixels of one thread drawing the whole picture.
//
// Clearing: a camera's picture remembers the box its blocks covered. Where the caller keeps its
// buffers to the renderer alone (KeepPictures) and the next picture goes into the same ones (same
// memory, size, format, viewport and background), only the box of the last picture and of this
// one is cleared: everything else still holds the background.
#include <cstdint>

#include "scene3d/draw_list.h"

namespace ka3D {

// Threads a render draws on: 0 (the default) one per core, 1 the calling thread alone.
// Takes effect at the next render; running workers are stopped when the count changes.
void SetRenderThreads(int count);

// Worker threads running now (not counting the thread that calls RenderInto), and worker
// threads started since the program began.
int RenderWorkersRunning();
long RenderWorkersStarted();

// Ends the worker threads and waits for them; the next render starts them again. Release()
// calls it.
void StopRenderWorkers();

// Whether nothing but the renderer writes into the buffers between renders, so that a render
// may clear only what the last and this picture cover. Off by default: a render clears the whole
// viewport.
void KeepPictures(bool keep);

// The next render of every camera clears its whole viewport: for buffers whose contents were
// lost. Init() and Release() call it.
void ForgetLastPictures();

// Clears camera `camera`'s picture (as far as needed) and draws `list` into it, in bands.
void DrawPicture(int camera, const RasterTarget& t, uint32_t background, DrawList& list);

}  // namespace ka3D
