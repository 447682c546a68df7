// The figure model and the editor's global state: joints and bones in two fixed frame grids of
// 501 frames by 501 slots, the one EditorState record, and the operations on the current frame
// that mouse editing, the command keys and the animation file share.
#pragma once

#include <cmath>
#include <cstdint>

#include "runtime/arrays.h"

constexpr int32_t kSlotCount = 501;       // joint and bone slots per frame, 0 to 500
constexpr int32_t kDefaultMaxFrame = 500; // frames 0 to 500
constexpr int32_t kStripHeight = 100;     // the timeline strip below the scene
constexpr int32_t kDefaultGroundColour = 0x141414;

enum JointState : int8_t { JointEmpty = 0, JointNormal = 1, JointStatic = 2 };
enum BoneKind : int8_t { BoneStabilising = 0, BoneStandard = 1, BoneFreeLength = 2 };

struct Joint {
    int32_t x;
    int32_t y;
    int8_t state; // 0 empty; any other value counts as a joint
};

enum BoneShape : uint8_t { ShapeLine = 0, ShapeCircle = 1, ShapeDisc = 2 };

// How a bone is drawn. All zero is the plain look: the kind's colour, one pixel, a line. It fills
// what was padding in Bone, so a bone and its style are copied, moved and undone as one.
struct BoneStyle {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t ownColour; // 0: the bone kind's colour, red, green and blue unused
    uint8_t thickness; // width in scene pixels less one: 0 is the one-pixel line
    uint8_t shape;     // a BoneShape
};

struct Bone {
    double restLength;
    int32_t jointA; // -1 when the slot is free
    int32_t jointB; // -1 when the slot is free
    int8_t kind;
    BoneStyle style{};
};
static_assert(sizeof(Bone) == 24, "the style lives in the bone's padding");

struct EditorState {
    int32_t windowWidth;
    int32_t windowHeight;
    int32_t maxFrame;
    int32_t currentFrame;
    int32_t playbackEnd;
    int32_t draggedJoint;
    int32_t boneStartJoint;
    int32_t solverSuspended;
    int32_t hudFont;
    int32_t lastMouseX;
    int32_t lastMouseY;
    int32_t drawingBox;
    int32_t boxLeft;
    int32_t boxTop;
    int32_t boxRight;
    int32_t boxBottom;
    char* basePath; // string variable; null is the empty text
    int32_t helpVisible;
    int32_t lastWindowEvent;
    int32_t shadowOn;
    int32_t collisionOn;
    int32_t playing;
    int32_t boneMode;
    int32_t headOn;
    // The timeline: the selected frames (selectionFirst -1: none), how many frames back and ahead
    // the onion skin shows, the playback rate in frames a second, and the strip's first cell as
    // the wheel scrolled it while the current frame was stripScrolledAt (-1: not scrolled).
    int32_t selectionFirst;
    int32_t selectionLast;
    int32_t onionBack;
    int32_t onionAhead;
    int32_t playbackRate;
    int32_t stripFirstFrame;
    int32_t stripScrolledAt;
    // The scene's ground as 0xRRGGBB, saved with the animation, and the pen: the style the next
    // bone gets.
    int32_t groundColour;
    BoneStyle pen;
    ArrayVariable keyLatch;   // 22 x int32
    ArrayVariable mouseLatch; // 5 x int32
    ArrayVariable bones;      // (maxFrame + 1) x 501 Bone, frame-major
    ArrayVariable joints;     // (maxFrame + 1) x 501 Joint, frame-major
};

extern EditorState editor;

// Start-up of the model, in the editor's start-up order: the start values (on a cleared record),
// the latch arrays and both grids through the runtime's array allocator, then every slot marked
// empty and the box at its default. EditorStateInit runs all three, for tests and benchmarks.
void SetEditorStartValues();
void AllocateEditorArrays();
void MarkAllSlotsEmpty(); // x = y = -1 for every joint, jointA = jointB = -1 for every bone
void EditorStateInit();
// After the program heap is destroyed: the grids and latches went with it, and nothing may reach
// them any more.
void ForgetEditorArrays();

inline Joint& JointAt(int32_t frame, int32_t slot) {
    return static_cast<Joint*>(editor.joints.data)[frame * editor.joints.slots[0] + slot];
}
inline Bone& BoneAt(int32_t frame, int32_t slot) {
    return static_cast<Bone*>(editor.bones.data)[frame * editor.bones.slots[0] + slot];
}
inline int32_t& KeyLatch(int32_t index) {
    return static_cast<int32_t*>(editor.keyLatch.data)[index];
}
inline int32_t& MouseLatch(int32_t index) {
    return static_cast<int32_t*>(editor.mouseLatch.data)[index];
}
inline bool BoneInUse(const Bone& bone) {
    return bone.jointA >= 0 && bone.jointB >= 0;
}
// Whether any joint slot from firstSlot to 500 of the frame is in use.
bool FrameHasJoints(int32_t frame, int32_t firstSlot);
// Whether a number names a joint slot or a frame of the grids. Only a damaged file or a frame
// counter run past the end can name others, and they must not reach a neighbouring row.
inline bool IsJointSlot(int32_t slot) {
    return slot >= 0 && slot < kSlotCount;
}
inline bool IsFrame(int32_t frame) {
    return frame >= 0 && frame <= editor.maxFrame;
}
// Whether frames are selected on the strip: selectionFirst to selectionLast, both frames.
inline bool HasSelection() {
    return editor.selectionFirst >= 0 && editor.selectionLast >= editor.selectionFirst;
}

// The distance between two joints, from their integer coordinates in double precision: the rest
// length a bone is measured at. Inline, so that loading can overlap the roots of many bones.
inline double JointDistance(const Joint& a, const Joint& b) {
    double dx = static_cast<double>(b.x) - static_cast<double>(a.x);
    double dy = static_cast<double>(b.y) - static_cast<double>(a.y);
    return std::sqrt(dx * dx + dy * dy);
}
// The used joint of the frame nearest to (x, y) within the radius, the lowest slot on equal
// distances (rounded to whole pixels); -1 when none is that near.
int32_t NearestJoint(int32_t frame, int32_t x, int32_t y, int32_t radius);
// A coordinate formed in 64 bits, held inside the int32 range instead of wrapping round.
int32_t ClampToInt32(int64_t value);

// All of these work on editor.currentFrame. AddJoint and AddBone return the slot they filled, or
// -1 when all 501 slots of the frame are in use (nothing changes then); AddBone also refuses joint
// slots outside 0 to 500. DeleteJoint ignores a slot outside 0 to 500 and
// ends a drag or a bone gesture that started on the joint; CopyPreviousFrame does nothing on
// frame 0.
int32_t AddJoint(int32_t x, int32_t y, int32_t state);
int32_t AddBone(int32_t jointA, int32_t jointB, int32_t kind);
void DeleteJoint(int32_t slot);
void CopyPreviousFrame();
void ResetAll();

// Toggle rules of the command keys, for flags that a loaded file may have set to other values:
// F3 turns 0 into 1 and anything else into 0; F1, F4 and F5 turn 1 into 0 and anything else into 1.
int32_t FlipZeroToOne(int32_t flag); // F3
int32_t FlipOneToZero(int32_t flag); // F1, F4, F5
