// Loads arbitrary bytes as an animation file. The animation is kept small (eight frames) so that
// each load's clearing is cheap; the checks on frames, slots and states are the same for any size.
// After every load the last frame played must be one of the animation's, and each used bone must
// name two joints in use of its own frame.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "model/animation.h"
#include "runtime/heaps.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "storage/text.h"

namespace {

constexpr int32_t kFuzzMaxFrame = 7;
int memoryFile = -1;
std::string path;

void Start() {
    ProgramHeapCreate();
    StringHeapInit();
    TextWorkBufferInit();
    FileTableInit();
    memoryFile = memfd_create("animation", 0);
    if (memoryFile < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    path = "/proc/self/fd/" + std::to_string(memoryFile);
}

void CheckBones(const Animation& animation) {
    for (int32_t frame = 0; frame <= animation.maxFrame; ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Bone& bone = animation.BoneAt(frame, slot);
            if (BoneInUse(bone) && (!IsJointSlot(bone.jointA) || !IsJointSlot(bone.jointB) ||
                                    animation.JointAt(frame, bone.jointA).state <= 0 ||
                                    animation.JointAt(frame, bone.jointB).state <= 0)) {
                std::abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (memoryFile < 0) {
        Start();
    }
    if (ftruncate(memoryFile, 0) != 0 ||
        pwrite(memoryFile, data, size, 0) != static_cast<ssize_t>(size)) {
        std::abort();
    }
    std::optional<Animation> animation = LoadAnimation(path.c_str(), kFuzzMaxFrame);
    if (!animation || !animation->IsFrame(animation->playbackEnd)) {
        std::abort();
    }
    CheckBones(*animation);
    return 0;
}
