// Finding a figure and the operations on one figure of a frame. A figure is found by joining the
// ends of every used bone in one pass (union by root), so finding one costs a pass over the
// frame's bones whatever its shape.
#include "model/figures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// The root of a joint slot in the forest `parent`, halving the path on the way up.
int32_t RootOf(std::array<int32_t, kSlotCount>& parent, int32_t slot) {
    while (parent[slot] != slot) {
        parent[slot] = parent[parent[slot]];
        slot = parent[slot];
    }
    return slot;
}

// Whether a bone joins two used joints of its frame: only such bones hold a figure together. A
// damaged file's bone naming a slot outside the frame or an empty joint joins nothing.
bool BoneJoinsJoints(const Joint* joints, const Bone& bone) {
    return BoneInUse(bone) && IsJointSlot(bone.jointA) && IsJointSlot(bone.jointB) &&
           joints[bone.jointA].state != JointEmpty && joints[bone.jointB].state != JointEmpty;
}

bool BoneSlotFree(const Bone& bone) {
    return bone.jointA == -1 && bone.jointB == -1;
}

// What a placement copies, read before anything is written, since the source may be the frame
// it goes to: the joints moved, the bones joining two of them, and a mark on each source slot.
struct Placement {
    std::array<int32_t, kSlotCount> target;
    std::vector<Joint> joints;
    std::vector<Bone> bones;
};

// False when a slot is named twice, lies outside the frame or holds no joint: it names no joint
// with one place to go.
bool GatherPlacement(const Joint* fromJoints, const Bone* fromBones, std::span<const int32_t> slots,
                     int32_t dx, int32_t dy, Placement* placement) {
    constexpr int32_t kAmong = -2;
    placement->target.fill(-1);
    for (int32_t slot : slots) {
        if (!IsJointSlot(slot) || placement->target[slot] != -1 ||
            fromJoints[slot].state == JointEmpty) {
            return false;
        }
        placement->target[slot] = kAmong;
    }
    placement->joints.clear();
    for (int32_t slot : slots) {
        Joint joint = fromJoints[slot];
        joint.x = ClampToInt32(int64_t{joint.x} + dx);
        joint.y = ClampToInt32(int64_t{joint.y} + dy);
        placement->joints.push_back(joint);
    }
    placement->bones.clear();
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = fromBones[slot];
        if (BoneInUse(bone) && IsJointSlot(bone.jointA) && IsJointSlot(bone.jointB) &&
            placement->target[bone.jointA] == kAmong && placement->target[bone.jointB] == kAmong) {
            placement->bones.push_back(bone);
        }
    }
    return true;
}

// The lowest free joint and bone slots of the frame, as many as the placement needs; false when
// there are fewer.
bool FindFreeSlots(const Animation& animation, int32_t frame, const Placement& placement,
                   std::vector<int32_t>* joints, std::vector<int32_t>* bones) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (animation.JointAt(frame, slot).state == JointEmpty &&
            joints->size() < placement.joints.size()) {
            joints->push_back(slot);
        }
        if (BoneSlotFree(animation.BoneAt(frame, slot)) && bones->size() < placement.bones.size()) {
            bones->push_back(slot);
        }
    }
    return joints->size() == placement.joints.size() && bones->size() == placement.bones.size();
}

// A coordinate computed in double, at its nearest pixel (halves to even, so that rounding is the
// same on both sides of a mirror line), held inside the int32 range.
int32_t NearestPixel(double value) {
    constexpr double kLowest = std::numeric_limits<int32_t>::min();
    constexpr double kHighest = std::numeric_limits<int32_t>::max();
    if (!(value >= kLowest)) {
        return std::numeric_limits<int32_t>::min(); // NaN too: never reached by finite poses
    }
    return static_cast<int32_t>(std::min(std::nearbyint(value), kHighest));
}

// Marks the slots of a figure, those outside the frame left out.
std::array<bool, kSlotCount> SlotMarks(std::span<const int32_t> slots) {
    std::array<bool, kSlotCount> among{};
    for (int32_t slot : slots) {
        if (IsJointSlot(slot)) {
            among[slot] = true;
        }
    }
    return among;
}

bool JoinsTwoOf(const Bone& bone, const std::array<bool, kSlotCount>& among) {
    return BoneInUse(bone) && IsJointSlot(bone.jointA) && IsJointSlot(bone.jointB) &&
           among[bone.jointA] && among[bone.jointB];
}

void OrderFigure(Animation& animation, int32_t frame, std::span<const int32_t> slots, bool front) {
    if (!animation.IsFrame(frame)) {
        return;
    }
    std::array<bool, kSlotCount> among = SlotMarks(slots);
    std::vector<int32_t> used;
    std::vector<Bone> figure;
    std::vector<Bone> others;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = animation.BoneAt(frame, slot);
        if (BoneSlotFree(bone)) {
            continue;
        }
        used.push_back(slot);
        (JoinsTwoOf(bone, among) ? figure : others).push_back(bone);
    }
    std::vector<Bone>& first = front ? others : figure;
    std::vector<Bone>& second = front ? figure : others;
    first.insert(first.end(), second.begin(), second.end());
    for (std::size_t index = 0; index < used.size(); ++index) {
        animation.BoneAt(frame, used[index]) = first[index];
    }
}

} // namespace

void FindFigure(const Animation& animation, int32_t frame, int32_t joint,
                std::vector<int32_t>* slots) {
    slots->clear();
    if (!animation.IsFrame(frame) || !IsJointSlot(joint)) {
        return;
    }
    const Joint* joints = animation.FrameJoints(frame);
    const Bone* bones = animation.FrameBones(frame);
    if (joints[joint].state == JointEmpty) {
        return;
    }
    std::array<int32_t, kSlotCount> parent{};
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        parent[slot] = slot;
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = bones[slot];
        if (!BoneJoinsJoints(joints, bone)) {
            continue;
        }
        int32_t rootA = RootOf(parent, bone.jointA);
        int32_t rootB = RootOf(parent, bone.jointB);
        if (rootA != rootB) {
            parent[rootA] = rootB;
        }
    }
    int32_t root = RootOf(parent, joint);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (joints[slot].state != JointEmpty && RootOf(parent, slot) == root) {
            slots->push_back(slot);
        }
    }
}

bool RoomForFigure(const Joint* fromJoints, const Bone* fromBones, std::span<const int32_t> slots,
                   const Animation& animation, int32_t toFrame) {
    Placement placement;
    std::vector<int32_t> freeJoints;
    std::vector<int32_t> freeBones;
    return animation.IsFrame(toFrame) &&
           GatherPlacement(fromJoints, fromBones, slots, 0, 0, &placement) &&
           FindFreeSlots(animation, toFrame, placement, &freeJoints, &freeBones);
}

bool PlaceFigure(const Joint* fromJoints, const Bone* fromBones, std::span<const int32_t> slots,
                 Animation& animation, int32_t toFrame, int32_t dx, int32_t dy,
                 std::vector<int32_t>* placed) {
    if (placed != nullptr) {
        placed->clear();
    }
    Placement placement;
    std::vector<int32_t> freeJoints;
    std::vector<int32_t> freeBones;
    if (!animation.IsFrame(toFrame) ||
        !GatherPlacement(fromJoints, fromBones, slots, dx, dy, &placement) ||
        !FindFreeSlots(animation, toFrame, placement, &freeJoints, &freeBones)) {
        return false;
    }
    for (std::size_t index = 0; index < slots.size(); ++index) {
        placement.target[slots[index]] = freeJoints[index];
        animation.JointAt(toFrame, freeJoints[index]) = placement.joints[index];
    }
    for (std::size_t index = 0; index < placement.bones.size(); ++index) {
        Bone bone = placement.bones[index];
        bone.jointA = placement.target[bone.jointA];
        bone.jointB = placement.target[bone.jointB];
        animation.BoneAt(toFrame, freeBones[index]) = bone;
    }
    if (placed != nullptr) {
        *placed = std::move(freeJoints);
    }
    return true;
}

void TakeFigurePose(const Animation& animation, int32_t frame, std::span<const int32_t> slots,
                    FigurePose* pose) {
    pose->frame = frame;
    pose->slots.clear();
    pose->joints.clear();
    pose->bones.clear();
    pose->restLengths.clear();
    pose->centreX = pose->centreY = 0;
    if (!animation.IsFrame(frame)) {
        return;
    }
    std::array<bool, kSlotCount> among{};
    int64_t sumX = 0;
    int64_t sumY = 0;
    for (int32_t slot : slots) {
        if (!IsJointSlot(slot) || among[slot] ||
            animation.JointAt(frame, slot).state == JointEmpty) {
            continue;
        }
        among[slot] = true;
        const Joint& joint = animation.JointAt(frame, slot);
        pose->slots.push_back(slot);
        pose->joints.push_back(joint);
        sumX += joint.x;
        sumY += joint.y;
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (JoinsTwoOf(animation.BoneAt(frame, slot), among)) {
            pose->bones.push_back(slot);
            pose->restLengths.push_back(animation.BoneAt(frame, slot).restLength);
        }
    }
    if (!pose->slots.empty()) {
        auto count = static_cast<double>(pose->slots.size());
        pose->centreX = static_cast<double>(sumX) / count;
        pose->centreY = static_cast<double>(sumY) / count;
    }
}

void MoveFigure(Animation& animation, const FigurePose& pose, int32_t dx, int32_t dy) {
    for (std::size_t index = 0; index < pose.slots.size(); ++index) {
        Joint& joint = animation.JointAt(pose.frame, pose.slots[index]);
        if (joint.state == JointEmpty) {
            continue; // deleted while the gesture went on
        }
        joint.x = ClampToInt32(int64_t{pose.joints[index].x} + dx);
        joint.y = ClampToInt32(int64_t{pose.joints[index].y} + dy);
    }
}

void TurnFigure(Animation& animation, const FigurePose& pose, double angle) {
    double cosine = std::cos(angle);
    double sine = std::sin(angle);
    for (std::size_t index = 0; index < pose.slots.size(); ++index) {
        double x = pose.joints[index].x - pose.centreX;
        double y = pose.joints[index].y - pose.centreY;
        Joint& joint = animation.JointAt(pose.frame, pose.slots[index]);
        if (joint.state == JointEmpty) {
            continue; // deleted while the gesture went on
        }
        joint.x = NearestPixel(pose.centreX + cosine * x - sine * y);
        joint.y = NearestPixel(pose.centreY + sine * x + cosine * y);
    }
}

void ScaleFigure(Animation& animation, const FigurePose& pose, double ratio) {
    for (std::size_t index = 0; index < pose.slots.size(); ++index) {
        Joint& joint = animation.JointAt(pose.frame, pose.slots[index]);
        if (joint.state == JointEmpty) {
            continue; // deleted while the gesture went on
        }
        joint.x = NearestPixel(pose.centreX + ratio * (pose.joints[index].x - pose.centreX));
        joint.y = NearestPixel(pose.centreY + ratio * (pose.joints[index].y - pose.centreY));
    }
    for (std::size_t index = 0; index < pose.bones.size(); ++index) {
        animation.BoneAt(pose.frame, pose.bones[index]).restLength =
            pose.restLengths[index] * ratio;
    }
}

void MirrorFigure(Animation& animation, int32_t frame, std::span<const int32_t> slots) {
    FigurePose pose;
    TakeFigurePose(animation, frame, slots, &pose);
    // Twice the centre at its nearest whole number: the mirror line on a pixel or between two.
    double twiceCentre = std::nearbyint(2 * pose.centreX);
    for (std::size_t index = 0; index < pose.slots.size(); ++index) {
        animation.JointAt(frame, pose.slots[index]).x =
            NearestPixel(twiceCentre - pose.joints[index].x);
    }
}

void DeleteFigure(Animation& animation, int32_t frame, std::span<const int32_t> slots) {
    if (!animation.IsFrame(frame)) {
        return;
    }
    std::array<bool, kSlotCount> among = SlotMarks(slots);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (among[slot]) {
            animation.JointAt(frame, slot).state = JointEmpty;
        }
        Bone& bone = animation.BoneAt(frame, slot);
        bool reaches = (IsJointSlot(bone.jointA) && among[bone.jointA]) ||
                       (IsJointSlot(bone.jointB) && among[bone.jointB]);
        if (BoneInUse(bone) && reaches) {
            bone.jointA = -1;
            bone.jointB = -1;
        }
    }
}

void FigureToFront(Animation& animation, int32_t frame, std::span<const int32_t> slots) {
    OrderFigure(animation, frame, slots, true);
}
void FigureToBack(Animation& animation, int32_t frame, std::span<const int32_t> slots) {
    OrderFigure(animation, frame, slots, false);
}
