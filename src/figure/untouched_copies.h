// Untouched copies: frames that are still the pose of a key frame before them, as F7 copies it,
// give or take the pixel by which the solver may settle a shown copy. Key I fills them with
// in-betweens and the strip marks them; both ask this one question.
#pragma once

#include <cstdint>
#include <vector>

#include "model/animation.h"

// The key frame whose untouched copy `frame` is, or -1 when it is none. Frames key + 1 to `frame`
// all hold the key's figure (FramesShareFigure) and something at all, each joint within a pixel of
// where it stands in the key; the key is the earliest such frame. A key that itself lies within a
// pixel of the frame before it is a nudged copy: frames moved on by a pixel a frame are edits, so
// then there is no key. *firstLooked (when given) receives the earliest frame the answer depends
// on.
int32_t UntouchedCopyKey(const Animation& animation, int32_t frame, int32_t* firstLooked = nullptr);

// A run of untouched copies that key I can fill: frames key + 1 to pose - 1 are copies of frame
// key, and frame pose, the next key pose, holds the same figure (FramesShareFigure).
struct CopyRun {
    int32_t key;
    int32_t pose;
};
// The runs whose copies all lie within frames first to last, earliest first; the two key poses of
// a run may lie outside. A run that reaches on past `last` is none of them.
std::vector<CopyRun> CopyRunsWithin(const Animation& animation, int32_t first, int32_t last);
