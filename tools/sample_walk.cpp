// The sample walk, joint by joint: slot 0 is the head's centre, then neck, hip, the pinned left
// leg, the swinging right leg and both arms. The body moves 12 pixels a frame; the legs and arms
// swing on a sine over the eight steps, so frame 8 repeats frame 0 moved on.
#include "sample_walk.h"

#include <cmath>
#include <numbers>

#include "../tests/unit/support/editor_frames.h"
#include "model/editor_state.h"

namespace {

struct Point {
    double x;
    double y;
};

enum WalkJoint : int32_t {
    Head,
    Neck,
    Hip,
    LeftKnee,
    LeftFoot,
    RightKnee,
    RightFoot,
    LeftElbow,
    LeftHand,
    RightElbow,
    RightHand,
    JointCount
};

struct WalkBone {
    int32_t from;
    int32_t to;
    int32_t kind;
};

constexpr WalkBone kBones[] = {
    {Head, Neck, BoneStandard},       {Neck, Hip, BoneStandard},
    {Hip, LeftKnee, BoneStandard},    {LeftKnee, LeftFoot, BoneStandard},
    {Hip, RightKnee, BoneStandard},   {RightKnee, RightFoot, BoneStandard},
    {Neck, LeftElbow, BoneStandard},  {LeftElbow, LeftHand, BoneStandard},
    {Neck, RightElbow, BoneStandard}, {RightElbow, RightHand, BoneStandard},
};

// A limb of two segments from `root`, swung by `angle` (radians from straight down) and bent at
// the middle joint by `bend`.
void Limb(Point root, double angle, double bend, double length, Point* middle, Point* end) {
    *middle = {root.x + length * std::sin(angle), root.y + length * std::cos(angle)};
    *end = {middle->x + length * std::sin(angle - bend),
            middle->y + length * std::cos(angle - bend)};
}

} // namespace

void BuildSampleWalk() {
    constexpr double kStep = 2 * std::numbers::pi / (kSampleFrames - 1);
    for (int32_t frame = 0; frame < kSampleFrames; ++frame) {
        editor.session.currentFrame = frame;
        double phase = std::sin(frame * kStep);
        Point joints[JointCount];
        joints[Hip] = {300.0 + frame * 12, 330.0 - 4 * std::abs(phase)};
        joints[Neck] = {joints[Hip].x + 4, joints[Hip].y - 75};
        joints[Head] = {joints[Neck].x + 2, joints[Neck].y - 34};
        Limb(joints[Hip], 0.45 * phase, -0.25, 50, &joints[LeftKnee], &joints[LeftFoot]);
        Limb(joints[Hip], -0.45 * phase, 0.45 * (1 + phase), 50, &joints[RightKnee],
             &joints[RightFoot]);
        Limb(joints[Neck], -0.5 * phase, -0.4, 38, &joints[LeftElbow], &joints[LeftHand]);
        Limb(joints[Neck], 0.5 * phase, -0.4, 38, &joints[RightElbow], &joints[RightHand]);
        for (int32_t joint = 0; joint < JointCount; ++joint) {
            AddJoint(static_cast<int32_t>(std::lround(joints[joint].x)),
                     static_cast<int32_t>(std::lround(joints[joint].y)),
                     joint == LeftFoot ? JointStatic : JointNormal);
        }
        for (const WalkBone& bone : kBones) {
            AddBone(bone.from, bone.to, bone.kind);
        }
    }
    editor.session.currentFrame = 0;
    editor.animation.headOn = 1;
}
