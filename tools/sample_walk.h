// The sample animation: a stick figure with a head that walks to the right over eight steps while
// its back foot stays pinned, so that playback has something to show.
#pragma once

#include <cstdint>

constexpr int32_t kSampleFrames = 9; // frames 0 to 8; playback shows 0 to 7 in a circle

// Builds the walk into the editor's grids (which must be empty) and switches the head on.
void BuildSampleWalk();
