#pragma once
// What the display set-up tells the 3D layer before ka3D::Config, and what it reads back
// afterwards to make the Z-buffer.

namespace ka3D {

// Display size and the driver's free video memory (bytes), for the Z-buffer placement rule.
void SetDisplayForConfig(int width, int height, unsigned long freeVideoMemory);

// Z-buffer depth in bits (16, 24 or 32) and whether it goes into video memory, as chosen by
// the last ka3D::Config.
int ZBufferDepth();
bool ZBufferInVideoMemory();

}  // namespace ka3D
