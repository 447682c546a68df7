// The animation as a value: its frames, each a row of 501 joint and 501 bone slots, the box that
// can confine the figures, the toggles and settings the file keeps (shadow, head, collision, the
// ground, the playback rate) and its sound. Everything below the editor takes the animation it
// works on as an argument; the operations here work on one frame of it.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/sound_track.h"

constexpr int32_t kSlotCount = 501;       // joint and bone slots per frame, 0 to 500
constexpr int32_t kDefaultMaxFrame = 500; // frames 0 to 500
constexpr int32_t kSceneWidth = 800;      // the scene every frame is drawn in
constexpr int32_t kSceneHeight = 600;
constexpr int32_t kDefaultGroundColour = 0x141414;
constexpr int32_t kDefaultPlaybackRate = 40; // frames a second
constexpr int32_t kHighestPlaybackRate = 100;

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

// The box in scene pixels: it bounds the joints while collision is on and is the origin of the
// file's coordinates. The box gesture keeps left <= right and top <= bottom.
struct Box {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const Box&) const = default;
};
// The middle half of the scene: 200, 150, 600, 450.
constexpr Box kDefaultBox{kSceneWidth / 4, kSceneHeight / 4, kSceneWidth / 4 * 3,
                          kSceneHeight / 4 * 3};

struct Animation {
    // Frames 0 to maxFrame, all slots empty (positions -1, bone ends -1, no padding byte set).
    Animation() : Animation(kDefaultMaxFrame) {}
    // Frames 0 to lastFrame only: what a fuzzer loads into, cleared cheaply on every run.
    explicit Animation(int32_t lastFrame);

    int32_t maxFrame = kDefaultMaxFrame;
    std::vector<Joint> joints; // (maxFrame + 1) x 501, frame-major
    std::vector<Bone> bones;   // (maxFrame + 1) x 501, frame-major
    Box box = kDefaultBox;
    // Flags the file keeps; a loaded file may hold values other than 0 and 1, and the solver and
    // the drawing act on 1 exactly.
    int32_t shadowOn = 0;
    int32_t collisionOn = 0;
    int32_t headOn = 0;
    int32_t groundColour = kDefaultGroundColour; // 0xRRGGBB
    int32_t playbackRate = kDefaultPlaybackRate;
    // The frame at which playback wraps back to frame 0; a load sets it to the last frame read.
    int32_t playbackEnd = 0;
    SoundTrack sound;

    bool IsFrame(int32_t frame) const { return frame >= 0 && frame <= maxFrame; }
    Joint* FrameJoints(int32_t frame) {
        return joints.data() + static_cast<std::ptrdiff_t>(frame) * kSlotCount;
    }
    const Joint* FrameJoints(int32_t frame) const {
        return joints.data() + static_cast<std::ptrdiff_t>(frame) * kSlotCount;
    }
    Bone* FrameBones(int32_t frame) {
        return bones.data() + static_cast<std::ptrdiff_t>(frame) * kSlotCount;
    }
    const Bone* FrameBones(int32_t frame) const {
        return bones.data() + static_cast<std::ptrdiff_t>(frame) * kSlotCount;
    }
    Joint& JointAt(int32_t frame, int32_t slot) { return FrameJoints(frame)[slot]; }
    const Joint& JointAt(int32_t frame, int32_t slot) const { return FrameJoints(frame)[slot]; }
    Bone& BoneAt(int32_t frame, int32_t slot) { return FrameBones(frame)[slot]; }
    const Bone& BoneAt(int32_t frame, int32_t slot) const { return FrameBones(frame)[slot]; }
};

// Slots as a fresh start leaves them: x = y = -1 for every joint, jointA = jointB = -1 for every
// bone, everything else (padding included) zero.
void EmptySlots(Joint* joints, Bone* bones, std::size_t count);

inline bool BoneInUse(const Bone& bone) {
    return bone.jointA >= 0 && bone.jointB >= 0;
}
// Whether a number names a joint slot. Only a damaged file can name others, and they must not
// reach a neighbouring row.
inline bool IsJointSlot(int32_t slot) {
    return slot >= 0 && slot < kSlotCount;
}
// Whether any joint slot from firstSlot to 500 of the frame is in use.
bool FrameHasJoints(const Animation& animation, int32_t frame, int32_t firstSlot);

// The distance between two joints, from their integer coordinates in double precision: the rest
// length a bone is measured at. Inline, so that loading can overlap the roots of many bones.
inline double JointDistance(const Joint& a, const Joint& b) {
    double dx = static_cast<double>(b.x) - static_cast<double>(a.x);
    double dy = static_cast<double>(b.y) - static_cast<double>(a.y);
    return std::sqrt(dx * dx + dy * dy);
}
// The used joint of the frame nearest to (x, y) within the radius, the lowest slot on equal
// distances (rounded to whole pixels); -1 when none is that near.
int32_t NearestJoint(const Animation& animation, int32_t frame, int32_t x, int32_t y,
                     int32_t radius);
// A coordinate formed in 64 bits, held inside the int32 range instead of wrapping round.
int32_t ClampToInt32(int64_t value);

// The operations on one frame. AddJoint and AddBone take the lowest free slot and return it, or
// -1 when all 501 slots of the frame are in use (nothing changes then); AddBone also refuses joint
// slots outside 0 to 500 and measures the rest length at once. DeleteJoint ignores a slot outside
// 0 to 500 and frees every bone that reaches the joint; CopyPreviousFrame does nothing on frame 0.
int32_t AddJoint(Animation& animation, int32_t frame, int32_t x, int32_t y, int32_t state);
int32_t AddBone(Animation& animation, int32_t frame, int32_t jointA, int32_t jointB, int32_t kind,
                const BoneStyle& style);
void DeleteJoint(Animation& animation, int32_t frame, int32_t slot);
void CopyPreviousFrame(Animation& animation, int32_t frame);
// Every slot of every frame freed (positions, rest lengths and kinds keep stale values), the
// box back at its default and playbackEnd 0; the toggles and the sound stay.
void ResetAll(Animation& animation);

// Toggle rules of the command keys, for flags that a loaded file may have set to other values:
// F3 turns 0 into 1 and anything else into 0; F1, F4 and F5 turn 1 into 0 and anything else into 1.
int32_t FlipZeroToOne(int32_t flag); // F3
int32_t FlipOneToZero(int32_t flag); // F1, F4, F5
