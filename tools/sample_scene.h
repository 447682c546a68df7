// The sample scene of the pictures in the README: a grown-up and a child walking to the right in
// styled bones, a dog trotting ahead of them after a bouncing ball, and a stick lying on the
// ground, over twelve frames, one for each cell of the strip.
#pragma once

#include <cstdint>

constexpr int32_t kSceneFrames = 12;

// Builds the scene into the editor's grids (which must be empty), with the shadow of the frame
// before on and the head disc off.
void BuildSampleScene();
