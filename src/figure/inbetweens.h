// In-betweens: the poses between two frames of the same figure, written into the frames between
// them. Limbs turn about their joints instead of sliding on straight lines and closed loops turn as
// a whole: joints that stand still in both frames stay put, standard and stabilising bones keep
// their evenly changing lengths, and free-length bones change theirs evenly as far as those allow.
#pragma once

#include <cstdint>

#include "model/animation.h"

// Whether two frames hold the same figure: the same joint slots in use with the same states, and
// the same bone slots in use with the same ends and kinds. Only such frames have in-betweens.
bool FramesShareFigure(const Animation& animation, int32_t frame, int32_t other);

// Writes frames first + 1 to last - 1 as the poses at fractions 1 / n, 2 / n, ... of the way from
// frame first to frame last (n = last - first). Every slot of those frames is replaced: joint
// states, bone ends and kinds are those of frame first, rest lengths change evenly, and so do the
// bones' colours and thicknesses, their shapes switching halfway. Frames first
// and last and all others stay as they are. Does nothing (and returns false) unless both are
// frames with at least one frame between them and FramesShareFigure(first, last).
bool FillInbetweens(Animation& animation, int32_t first, int32_t last);
