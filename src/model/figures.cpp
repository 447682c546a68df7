// Finding a figure and the operations on one figure of a frame. A figure is found by joining the
// ends of every used bone in one pass (union by root), so finding one costs a pass over the
// frame's bones whatever its shape.
#include "model/figures.h"

#include <array>

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

} // namespace

void FindFigure(int32_t frame, int32_t joint, std::vector<int32_t>* slots) {
    slots->clear();
    if (!IsFrame(frame) || !IsJointSlot(joint)) {
        return;
    }
    const Joint* joints = &JointAt(frame, 0);
    const Bone* bones = &BoneAt(frame, 0);
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

bool PlaceFigure(const Joint* fromJoints, const Bone* fromBones, std::span<const int32_t> slots,
                 int32_t toFrame, int32_t dx, int32_t dy, std::vector<int32_t>* placed) {
    if (placed != nullptr) {
        placed->clear();
    }
    if (!IsFrame(toFrame)) {
        return false;
    }
    // Where each source slot goes; -2 marks a source slot not yet given one. A slot named twice,
    // outside the frame or holding no joint is refused: it names no joint with one place to go.
    std::array<int32_t, kSlotCount> target;
    target.fill(-1);
    for (int32_t slot : slots) {
        if (!IsJointSlot(slot) || target[slot] != -1 || fromJoints[slot].state == JointEmpty) {
            return false;
        }
        target[slot] = -2;
    }
    // Everything to copy is read before anything is written: the source may be the frame itself.
    std::vector<Joint> newJoints;
    newJoints.reserve(slots.size());
    for (int32_t slot : slots) {
        Joint joint = fromJoints[slot];
        joint.x = ClampToInt32(int64_t{joint.x} + dx);
        joint.y = ClampToInt32(int64_t{joint.y} + dy);
        newJoints.push_back(joint);
    }
    std::vector<Bone> newBones;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = fromBones[slot];
        if (BoneInUse(bone) && IsJointSlot(bone.jointA) && IsJointSlot(bone.jointB) &&
            target[bone.jointA] != -1 && target[bone.jointB] != -1) {
            newBones.push_back(bone);
        }
    }
    std::vector<int32_t> freeJoints;
    std::vector<int32_t> freeBones;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (JointAt(toFrame, slot).state == JointEmpty && freeJoints.size() < newJoints.size()) {
            freeJoints.push_back(slot);
        }
        if (BoneSlotFree(BoneAt(toFrame, slot)) && freeBones.size() < newBones.size()) {
            freeBones.push_back(slot);
        }
    }
    if (freeJoints.size() < newJoints.size() || freeBones.size() < newBones.size()) {
        return false;
    }
    for (std::size_t index = 0; index < slots.size(); ++index) {
        target[slots[index]] = freeJoints[index];
        JointAt(toFrame, freeJoints[index]) = newJoints[index];
    }
    for (std::size_t index = 0; index < newBones.size(); ++index) {
        Bone bone = newBones[index];
        bone.jointA = target[bone.jointA];
        bone.jointB = target[bone.jointB];
        BoneAt(toFrame, freeBones[index]) = bone;
    }
    if (placed != nullptr) {
        placed->assign(freeJoints.begin(), freeJoints.end());
    }
    return true;
}
