// Figures: the joints of one frame that bones of any kind join into one piece (a joint alone is a
// figure too), found from one of their joints, and the operations that treat a figure as a whole.
// Each works on one frame's slots, so the keys, the mouse, a selection of frames and the tests
// all call the same procedures.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/animation.h"

// The joint slots of the figure that holds `joint` in `frame`, ascending; empty when the slot is
// not a used joint.
void FindFigure(const Animation& animation, int32_t frame, int32_t joint,
                std::vector<int32_t>* slots);

// Copies the joints `slots` of a frame given as its 501 joints and 501 bones (a grid row or a
// frame read from a file), with every bone whose two ends are among them, into the lowest free
// joint and bone slots of `toFrame`, moved by (dx, dy): states, pins, rest lengths and styles as
// they are. The source may be `toFrame` itself. False, and nothing changed, when `toFrame` has too
// few free joint or bone slots, or when a slot is named twice or holds no joint. `placed` (when not
// null) receives the new joint slots in the order of `slots`.
bool PlaceFigure(const Joint* fromJoints, const Bone* fromBones, std::span<const int32_t> slots,
                 Animation& animation, int32_t toFrame, int32_t dx, int32_t dy,
                 std::vector<int32_t>* placed);

// Whether PlaceFigure would find room in `toFrame` for the joints `slots` of the given frame and
// the bones joining two of them.
bool RoomForFigure(const Joint* fromJoints, const Bone* fromBones, std::span<const int32_t> slots,
                   const Animation& animation, int32_t toFrame);

// A figure of one frame as it stood when a gesture began: the slots among those asked for that
// hold a joint in that frame, their joints, the bones joining two of them with their rest
// lengths, and its centre, the mean of its joints. A gesture computes every new position from it,
// so that rounding to whole pixels never adds up over the cycles.
struct FigurePose {
    int32_t frame = -1;
    std::vector<int32_t> slots;
    std::vector<Joint> joints;
    std::vector<int32_t> bones;
    std::vector<double> restLengths;
    double centreX = 0;
    double centreY = 0;
};
void TakeFigurePose(const Animation& animation, int32_t frame, std::span<const int32_t> slots,
                    FigurePose* pose);

// The figure placed as its pose moved, turned or scaled about the pose's centre, each joint at
// its nearest pixel. The angle is in radians in the scene's coordinates (y down), so a positive
// angle turns clockwise on the screen; scaling scales the bones' rest lengths with it.
void MoveFigure(Animation& animation, const FigurePose& pose, int32_t dx, int32_t dy);
void TurnFigure(Animation& animation, const FigurePose& pose, double angle);
void ScaleFigure(Animation& animation, const FigurePose& pose, double ratio);

// The figure of joints `slots` (those holding a joint in `frame`) mirrored left to right about its
// centre. The mirror line is rounded to a half pixel, so every joint lands on a pixel, the shape
// stays exact and mirroring twice gives back every joint.
void MirrorFigure(Animation& animation, int32_t frame, std::span<const int32_t> slots);
// The figure's joints and every bone that reaches one of them emptied.
void DeleteFigure(Animation& animation, int32_t frame, std::span<const int32_t> slots);
// Bones are drawn in slot order: the figure's bones (both ends among `slots`) take the last (to
// the front) or the first (to the back) of the frame's used bone slots, in their order, and the
// other bones keep theirs in the rest; free slots stay where they are.
void FigureToFront(Animation& animation, int32_t frame, std::span<const int32_t> slots);
void FigureToBack(Animation& animation, int32_t frame, std::span<const int32_t> slots);
