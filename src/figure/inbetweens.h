// In-betweens: the poses between two frames of the same figure, written into the frames between
// them. Limbs turn about their joints instead of sliding on straight lines and closed loops turn as
// a whole: joints that stand still in both frames stay put, standard and stabilising bones keep
// their evenly changing lengths, and free-length bones change theirs evenly as far as those allow.
#pragma once

#include <cstdint>

#include "model/animation.h"
#include "model/easing.h"

// Whether two frames hold the same figure: the same joint slots in use with the same states, and
// the same bone slots in use with the same ends and kinds. Only such frames have in-betweens.
bool FramesShareFigure(const Animation& animation, int32_t frame, int32_t other);

// Writes frames first + 1 to last - 1 as the poses at shares s(1 / n), s(2 / n), ... of the way
// from frame first to frame last (n = last - first, s the easing's EasedShare; Linear spaces them
// evenly). Every slot of those frames is replaced: joint states, bone ends and kinds are those of
// frame first, rest lengths change with the share, and so do the bones' colours and thicknesses,
// their shapes switching halfway. A share past 1 carries the joints on along the same arcs and
// back; styles stop at the second pose's. Frames first and last and all others stay as they are.
// Does nothing (and returns false) unless both are frames with at least one frame between them and
// FramesShareFigure(first, last).
bool FillInbetweens(Animation& animation, int32_t first, int32_t last,
                    int32_t easing = kEasingLinear);
