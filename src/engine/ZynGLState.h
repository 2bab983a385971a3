// ZynGLState: snapshot of the viewport and matrix stacks around guarded drawing.
//
// A scene or fader that fails half-way through a frame may leave a glBegin
// open, matrices pushed and its own viewport set. Taking a snapshot before the
// call and restoring it on failure leaves the GL state as the caller had it.
// Depends on: OpenGL.
#pragma once

#include <cstdint>

class TZynGLState {
public:
    // Records viewport, matrix mode, both matrices and both stack depths.
    void Save();
    // Closes an open glBegin, drops what the failed code left in the error
    // queue, pops both stacks back to their saved depth and reloads the saved
    // matrices, viewport and matrix mode.
    void Restore() const;

private:
    int32_t Viewport[4] = {0, 0, 0, 0};
    int32_t MatrixMode = 0;
    int32_t ProjectionDepth = 1;
    int32_t ModelviewDepth = 1;
    float Projection[16] = {};
    float Modelview[16] = {};
};
