// The animation's frames and the operations on one frame of it. Every operation scans the 501
// slots of its frame from slot 0 upwards; new joints and bones take the lowest free slot.
#include "model/animation.h"

#include <algorithm>
#include <cstring>
#include <limits>

Animation::Animation(int32_t lastFrame) : maxFrame(lastFrame) {
    std::size_t count = static_cast<std::size_t>(maxFrame + 1) * kSlotCount;
    // Value-initialised: every byte zero, padding included, before the ends are marked free.
    joints.resize(count);
    bones.resize(count);
    EmptySlots(joints.data(), bones.data(), count);
}

void EmptySlots(Joint* joints, Bone* bones, std::size_t count) {
    if (count == 0) {
        return; // an animation without frames may have no memory to clear
    }
    std::memset(static_cast<void*>(joints), 0, count * sizeof(Joint));
    std::memset(static_cast<void*>(bones), 0, count * sizeof(Bone));
    for (std::size_t index = 0; index < count; ++index) {
        joints[index].x = -1;
        joints[index].y = -1;
        bones[index].jointA = -1;
        bones[index].jointB = -1;
    }
}

bool FrameHasJoints(const Animation& animation, int32_t frame, int32_t firstSlot) {
    const Joint* joints = animation.FrameJoints(frame);
    for (int32_t slot = firstSlot; slot < kSlotCount; ++slot) {
        if (joints[slot].state != JointEmpty) {
            return true;
        }
    }
    return false;
}

int32_t AddJoint(Animation& animation, int32_t frame, int32_t x, int32_t y, int32_t state) {
    Joint* joints = animation.FrameJoints(frame);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Joint& joint = joints[slot];
        if (joint.state == JointEmpty) {
            joint.x = x;
            joint.y = y;
            joint.state = static_cast<int8_t>(state);
            return slot;
        }
    }
    return -1;
}

int32_t AddBone(Animation& animation, int32_t frame, int32_t jointA, int32_t jointB, int32_t kind,
                const BoneStyle& style) {
    // A bone naming a slot outside the frame (only a damaged file can) would measure and later
    // move memory outside the grid: it is refused like a bone for a full frame.
    if (!IsJointSlot(jointA) || !IsJointSlot(jointB)) {
        return -1;
    }
    Bone* bones = animation.FrameBones(frame);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Bone& bone = bones[slot];
        if (bone.jointA == -1 && bone.jointB == -1) {
            bone.jointA = jointA;
            bone.jointB = jointB;
            bone.kind = static_cast<int8_t>(kind);
            bone.style = style;
            bone.restLength =
                JointDistance(animation.JointAt(frame, jointA), animation.JointAt(frame, jointB));
            return slot;
        }
    }
    return -1;
}

void DeleteJoint(Animation& animation, int32_t frame, int32_t slot) {
    // A slot outside the frame names no joint; writing it would reach into the next frame's row.
    if (!IsJointSlot(slot)) {
        return;
    }
    animation.JointAt(frame, slot).state = JointEmpty;
    Bone* bones = animation.FrameBones(frame);
    for (int32_t boneSlot = 0; boneSlot < kSlotCount; ++boneSlot) {
        Bone& bone = bones[boneSlot];
        if (BoneInUse(bone) && (bone.jointA == slot || bone.jointB == slot)) {
            bone.jointA = -1;
            bone.jointB = -1;
        }
    }
}

void CopyPreviousFrame(Animation& animation, int32_t frame) {
    // Frame 0 has no previous frame; reading row -1 would read in front of the grid.
    if (frame < 1 || !animation.IsFrame(frame)) {
        return;
    }
    std::copy_n(animation.FrameJoints(frame - 1), kSlotCount, animation.FrameJoints(frame));
    std::copy_n(animation.FrameBones(frame - 1), kSlotCount, animation.FrameBones(frame));
}

void ResetAll(Animation& animation) {
    for (Joint& joint : animation.joints) {
        joint.state = JointEmpty;
    }
    for (Bone& bone : animation.bones) {
        bone.jointA = -1;
        bone.jointB = -1;
    }
    animation.playbackEnd = 0;
    animation.box = kDefaultBox;
}

int32_t NearestJoint(const Animation& animation, int32_t frame, int32_t x, int32_t y,
                     int32_t radius) {
    double best = radius;
    int32_t found = -1;
    const Joint* joints = animation.FrameJoints(frame);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = joints[slot];
        if (joint.state == JointEmpty) {
            continue;
        }
        // |dx| and |dy| reach 2^32 with joints far outside the window; their squares would
        // overflow even 64 bits when summed, so the root is taken in double, where they stay
        // exact enough to round. Strictly nearer only: on ties the lower slot keeps the pick.
        double dx = static_cast<double>(int64_t{joint.x} - x);
        double dy = static_cast<double>(int64_t{joint.y} - y);
        double distance = std::round(std::sqrt(dx * dx + dy * dy));
        if (distance < best) {
            best = distance;
            found = slot;
        }
    }
    return found;
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t FlipZeroToOne(int32_t flag) {
    return flag == 0 ? 1 : 0;
}
int32_t FlipOneToZero(int32_t flag) {
    return flag == 1 ? 0 : 1;
}
