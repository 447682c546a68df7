// Figures: the joints of one frame that bones of any kind join into one piece (a joint alone is a
// figure too), found from one of their joints, and the operations that treat a figure as a whole.
// Each works on one frame's slots, so the keys, the mouse, a selection of frames and the tests
// all call the same procedures.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/editor_state.h"

// The joint slots of the figure that holds `joint` in `frame`, ascending; empty when the slot is
// not a used joint.
void FindFigure(int32_t frame, int32_t joint, std::vector<int32_t>* slots);

// Copies the joints `slots` of a frame given as its 501 joints and 501 bones (a grid row or a
// frame read from a file), with every bone whose two ends are among them, into the lowest free
// joint and bone slots of `toFrame`, moved by (dx, dy): states, pins, rest lengths and styles as
// they are. The source may be `toFrame` itself. False, and nothing changed, when `toFrame` has too
// few free joint or bone slots, or when a slot is named twice or holds no joint. `placed` (when not
// null) receives the new joint slots in the order of `slots`.
bool PlaceFigure(const Joint* fromJoints, const Bone* fromBones, std::span<const int32_t> slots,
                 int32_t toFrame, int32_t dx, int32_t dy, std::vector<int32_t>* placed);
