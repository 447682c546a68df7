// Reads arbitrary bytes as a motion clip and places every clip read as a new figure into an
// animation of eight frames, from the front or the side. A refusal must say why; a clip read
// must hold what its hierarchy announces; a placed figure must stand in frames it filled only,
// every joint where a file's coordinates reach and every bone between two of its frame's joints.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "figure/clip_pose.h"
#include "model/animation.h"
#include "storage/bvh_clip.h"

namespace {

constexpr int32_t kFuzzLastFrame = 7;

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

void CheckClip(const MotionClip& clip) {
    Check(!clip.joints.empty() && clip.joints.size() <= static_cast<std::size_t>(kMostClipJoints));
    Check(clip.frameCount > 0 &&
          clip.values.size() == static_cast<std::size_t>(clip.frameCount) *
                                    static_cast<std::size_t>(clip.channelCount));
    for (std::size_t index = 0; index < clip.joints.size(); ++index) {
        const ClipJoint& joint = clip.joints[index];
        Check(joint.parent < static_cast<int32_t>(index) && (index == 0) == (joint.parent < 0));
        Check(joint.firstChannel + static_cast<int32_t>(joint.channels.size()) <=
              clip.channelCount);
    }
}

// Frames 0 to filled - 1 hold the figure, the others nothing; bones join joints of their frame.
void CheckFrames(const Animation& animation, const Box& box, int32_t filled) {
    for (int32_t frame = 0; frame <= kFuzzLastFrame; ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Joint& joint = animation.JointAt(frame, slot);
            Check(joint.state == JointEmpty || frame < filled);
            Check(joint.state == JointEmpty ||
                  (joint.x - box.left >= -32768 && joint.x - box.left <= 32767 &&
                   joint.y - box.top >= -32768 && joint.y - box.top <= 32767));
            const Bone& bone = animation.BoneAt(frame, slot);
            Check(!BoneInUse(bone) || (IsJointSlot(bone.jointA) && IsJointSlot(bone.jointB) &&
                                       animation.JointAt(frame, bone.jointA).state != JointEmpty &&
                                       animation.JointAt(frame, bone.jointB).state != JointEmpty));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Animation animation(kFuzzLastFrame);
    MotionClip clip;
    std::string error;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!ParseMotionClip(text, &clip, &error)) {
        Check(!error.empty());
        return 0;
    }
    CheckClip(clip);
    ClipPlacement placement;
    placement.view = size % 2 == 0 ? ClipView::Front : ClipView::Side;
    placement.lastFrame = kFuzzLastFrame;
    placement.box = kDefaultBox;
    error.clear();
    int32_t filled = PlaceClip(animation, clip, placement, &error);
    Check(filled >= 0 && filled <= kFuzzLastFrame + 1 && (filled > 0 || !error.empty()));
    CheckFrames(animation, placement.box, filled);
    EmptySlots(animation.joints.data(), animation.bones.data(), animation.joints.size());
    return 0;
}
