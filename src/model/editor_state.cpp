// The figure model's operations. Every one scans the 501 slots of the current frame from slot 0
// upwards; new joints and bones take the lowest free slot.
#include "model/editor_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

EditorState editor;

namespace {

constexpr int32_t kKeyLatchUpperBound = 21;
constexpr int32_t kMouseLatchUpperBound = 4;

void SetDefaultBox() {
    editor.boxLeft = editor.windowWidth / 4;
    editor.boxTop = editor.windowHeight / 4;
    editor.boxRight = editor.windowWidth / 4 * 3;
    editor.boxBottom = editor.windowHeight / 4 * 3;
}

void AllocateGrid(ArrayVariable* grid, int32_t elementSize) {
    ArrayRelease(grid->data);
    grid->slots[0] = editor.maxFrame + 1;
    grid->slots[1] = kSlotCount;
    ArrayAllocateMulti(elementSize, 2, 0, grid, kArrayTypeRecord);
}

} // namespace

void SetEditorStartValues() {
    editor.windowWidth = 800;
    editor.windowHeight = 600;
    editor.maxFrame = kDefaultMaxFrame;
    editor.currentFrame = 0;
    editor.draggedJoint = -1;
    editor.boneStartJoint = -1;
    editor.helpVisible = 1;
    editor.playing = 0;
    editor.boneMode = 1;
    editor.selectionFirst = -1;
    editor.selectionLast = -1;
    editor.onionBack = 1;
    editor.onionAhead = 0;
    editor.playbackRate = 40;
    editor.stripFirstFrame = 0;
    editor.stripScrolledAt = -1;
    editor.groundColour = kDefaultGroundColour;
    editor.pen = BoneStyle{};
}

void AllocateEditorArrays() {
    ArrayRelease(editor.keyLatch.data);
    ArrayAllocate(kKeyLatchUpperBound, sizeof(int32_t), 0, &editor.keyLatch, kArrayTypeInteger);
    ArrayRelease(editor.mouseLatch.data);
    ArrayAllocate(kMouseLatchUpperBound, sizeof(int32_t), 0, &editor.mouseLatch, kArrayTypeInteger);
    AllocateGrid(&editor.bones, sizeof(Bone));
    AllocateGrid(&editor.joints, sizeof(Joint));
}

void MarkAllSlotsEmpty() {
    for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            Joint& joint = JointAt(frame, slot);
            joint.x = -1;
            joint.y = -1;
            Bone& bone = BoneAt(frame, slot);
            bone.jointA = -1;
            bone.jointB = -1;
            bone.style = BoneStyle{};
        }
    }
    editor.currentFrame = 0;
    SetDefaultBox();
}

void EditorStateInit() {
    // The arrays survive the clearing of the record: they are allocated once and reused.
    ArrayVariable keep[4] = {editor.keyLatch, editor.mouseLatch, editor.bones, editor.joints};
    std::memset(static_cast<void*>(&editor), 0, sizeof(editor));
    editor.keyLatch = keep[0];
    editor.mouseLatch = keep[1];
    editor.bones = keep[2];
    editor.joints = keep[3];
    SetEditorStartValues();
    AllocateEditorArrays();
    MarkAllSlotsEmpty();
}

bool FrameHasJoints(int32_t frame, int32_t firstSlot) {
    for (int32_t slot = firstSlot; slot < kSlotCount; ++slot) {
        if (JointAt(frame, slot).state != JointEmpty) {
            return true;
        }
    }
    return false;
}

void ForgetEditorArrays() {
    editor.keyLatch = ArrayVariable{};
    editor.mouseLatch = ArrayVariable{};
    editor.bones = ArrayVariable{};
    editor.joints = ArrayVariable{};
}

int32_t AddJoint(int32_t x, int32_t y, int32_t state) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Joint& joint = JointAt(editor.currentFrame, slot);
        if (joint.state == JointEmpty) {
            joint.x = x;
            joint.y = y;
            joint.state = static_cast<int8_t>(state);
            return slot;
        }
    }
    return -1;
}

int32_t AddBone(int32_t jointA, int32_t jointB, int32_t kind) {
    // A bone naming a slot outside the frame (only a damaged file can) would measure and later
    // move memory outside the grid: it is refused like a bone for a full frame.
    if (!IsJointSlot(jointA) || !IsJointSlot(jointB)) {
        return -1;
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Bone& bone = BoneAt(editor.currentFrame, slot);
        if (bone.jointA == -1 && bone.jointB == -1) {
            bone.jointA = jointA;
            bone.jointB = jointB;
            bone.kind = static_cast<int8_t>(kind);
            bone.style = editor.pen;
            bone.restLength = JointDistance(JointAt(editor.currentFrame, jointA),
                                            JointAt(editor.currentFrame, jointB));
            return slot;
        }
    }
    return -1;
}

void DeleteJoint(int32_t slot) {
    // A slot outside the frame names no joint; writing it would reach into the next frame's row.
    if (!IsJointSlot(slot)) {
        return;
    }
    JointAt(editor.currentFrame, slot).state = JointEmpty;
    // A gesture that started on the joint ends with it.
    if (editor.boneStartJoint == slot) {
        editor.boneStartJoint = -1;
    }
    if (editor.draggedJoint == slot) {
        editor.draggedJoint = -1;
    }
    for (int32_t boneSlot = 0; boneSlot < kSlotCount; ++boneSlot) {
        Bone& bone = BoneAt(editor.currentFrame, boneSlot);
        if (BoneInUse(bone) && (bone.jointA == slot || bone.jointB == slot)) {
            bone.jointA = -1;
            bone.jointB = -1;
        }
    }
}

void CopyPreviousFrame() {
    // Frame 0 has no previous frame; reading row -1 would read in front of the grid.
    if (editor.currentFrame < 1 || !IsFrame(editor.currentFrame)) {
        return;
    }
    int32_t previous = editor.currentFrame - 1;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        JointAt(editor.currentFrame, slot) = JointAt(previous, slot);
        BoneAt(editor.currentFrame, slot) = BoneAt(previous, slot);
    }
}

void ResetAll() {
    for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            JointAt(frame, slot).state = JointEmpty;
            Bone& bone = BoneAt(frame, slot);
            bone.jointA = -1;
            bone.jointB = -1;
        }
    }
    editor.currentFrame = 0;
    editor.playbackEnd = 0;
    SetDefaultBox();
}

int32_t NearestJoint(int32_t frame, int32_t x, int32_t y, int32_t radius) {
    double best = radius;
    int32_t found = -1;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = JointAt(frame, slot);
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
