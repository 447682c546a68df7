// The bone-length relaxation of one frame and the box that can confine its joints. Every
// correction moves joints along the bone and rounds each coordinate back to a pixel at once, so
// later bones of the same pass see the rounded positions.
#include "figure/bone_solver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "model/animation.h"

namespace {

constexpr int32_t kPassCount = 11;
constexpr int32_t kBoxMargin = 5;
constexpr double kLowestCoordinate = std::numeric_limits<int32_t>::min();
constexpr double kHighestCoordinate = std::numeric_limits<int32_t>::max();

bool IsStatic(const Joint& joint) {
    return joint.state == JointStatic;
}

// Round half to even (the default rounding mode), kept inside the int32 range so that extreme rest
// lengths pin a joint to the edge of the coordinate range instead of overflowing the conversion.
int32_t RoundToPixel(double coordinate) {
    double rounded = std::clamp(std::rint(coordinate), kLowestCoordinate, kHighestCoordinate);
    return static_cast<int32_t>(rounded);
}

// The whole sum is rounded, so a shift below half a pixel leaves the coordinate where it was.
void MoveJoint(Joint& joint, double shiftX, double shiftY) {
    joint.x = RoundToPixel(joint.x + shiftX);
    joint.y = RoundToPixel(joint.y + shiftY);
}

// A box edge moved inwards by the margin; 64-bit so that an edge near the int32 limits cannot wrap.
int32_t InnerEdge(int32_t edge, int32_t inwards) {
    return ClampToInt32(static_cast<int64_t>(edge) + inwards);
}

// Brings one bone back towards its rest length. f = (dist - rest) / dist is the share of (dx, dy)
// by which the two ends must approach each other: positive for a stretched bone.
void RelaxBone(Joint* joints, const Bone& bone, int32_t draggedJoint) {
    if (!BoneInUse(bone) || bone.kind == BoneFreeLength) {
        return;
    }
    // Only a damaged file can name a slot outside the frame; it must not reach the next row.
    if (!IsJointSlot(bone.jointA) || !IsJointSlot(bone.jointB)) {
        return;
    }
    Joint& a = joints[bone.jointA];
    Joint& b = joints[bone.jointB];
    // In double, where the difference of any two int32 values is exact.
    double dx = static_cast<double>(b.x) - static_cast<double>(a.x);
    double dy = static_cast<double>(b.y) - static_cast<double>(a.y);
    double dist = std::sqrt(dx * dx + dy * dy);
    // Two ends on one pixel (or a bone from a joint to itself) give no direction to push along.
    if (dist == 0.0) {
        return;
    }
    double f = (dist - bone.restLength) / dist;
    // A rest length that is not a number or infinite gives no usable correction.
    if (!std::isfinite(f)) {
        return;
    }
    bool aStatic = IsStatic(a);
    bool bStatic = IsStatic(b);
    if (aStatic && bStatic) {
        // Between two pinned joints the dragged one gives way, else the second one.
        if (draggedJoint == bone.jointA) {
            MoveJoint(a, dx * f, dy * f);
        } else {
            MoveJoint(b, -dx * f, -dy * f);
        }
    } else if (aStatic) {
        MoveJoint(b, -dx * f, -dy * f);
    } else if (bStatic) {
        MoveJoint(a, dx * f, dy * f);
    } else {
        // Each end takes half of the error; both halves come from the positions before the move.
        double halfX = (dx * 0.5) * f;
        double halfY = (dy * 0.5) * f;
        MoveJoint(b, -halfX, -halfY);
        MoveJoint(a, halfX, halfY);
    }
}

} // namespace

void SolveBones(Animation& animation, int32_t frame, int32_t draggedJoint) {
    if (!animation.IsFrame(frame)) {
        return;
    }
    Joint* joints = animation.FrameJoints(frame);
    const Bone* bones = animation.FrameBones(frame);
    for (int32_t pass = 0; pass < kPassCount; ++pass) {
        // Only before a pass: the last relaxation has the final word in a cycle.
        if (animation.collisionOn == 1) {
            ApplyBoxCollision(animation, frame);
        }
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            RelaxBone(joints, bones[slot], draggedJoint);
        }
    }
}

void ApplyBoxCollision(Animation& animation, int32_t frame) {
    if (!animation.IsFrame(frame)) {
        return;
    }
    const Box& box = animation.box;
    int32_t right = InnerEdge(box.right, -kBoxMargin);
    int32_t left = InnerEdge(box.left, kBoxMargin);
    int32_t bottom = InnerEdge(box.bottom, -kBoxMargin);
    int32_t top = InnerEdge(box.top, kBoxMargin);
    Joint* joints = animation.FrameJoints(frame);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Joint& joint = joints[slot];
        if (joint.state == JointEmpty) {
            continue;
        }
        // Not std::clamp: in a box narrower than twice the margin the left and top edges win.
        joint.x = std::min(joint.x, right);
        joint.x = std::max(joint.x, left);
        joint.y = std::min(joint.y, bottom);
        joint.y = std::max(joint.y, top);
    }
}
