// The export file: every bone of the standard kind in every frame as a line segment between its
// joints' window positions, for other programs; written beside the animation file on request.
#pragma once

#include <cstdint>
#include <vector>

#include "model/animation.h"

// One bone as a line between its joints' window positions.
struct BoneSegment {
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
};

// The segments of frame's bones in slot order: the standard ones, and with `freeLength` the
// free-length ones too (the two kinds playback draws). Bones whose ends name no slot are left out.
std::vector<BoneSegment> FrameSegments(const Animation& animation, int32_t frame, bool freeLength);

// Writes the animation's segments to its path's stem + "_export.lmb" and tells the user its name in
// a message box once it is complete, or that it could not be saved. A file that cannot even be
// created is passed over in silence.
void ExportAnimation(const char* basePath, const Animation& animation);
