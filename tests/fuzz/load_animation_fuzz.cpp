// Loads arbitrary bytes as an animation file. The grids are kept small (eight frames) so that each
// load's reset is cheap; the checks on frames, slots and states are the same for any size. After
// every load each used bone must name two joints in use of its own frame.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../tests/unit/support/editor_frames.h"
#include "model/editor_state.h"
#include "runtime/heaps.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "storage/text.h"

namespace {

constexpr int32_t kFuzzMaxFrame = 7;
int memoryFile = -1;

void Start() {
    ProgramHeapCreate();
    StringHeapInit();
    TextWorkBufferInit();
    FileTableInit();
    SetEditorStartValues();
    editor.animation.maxFrame = kFuzzMaxFrame;
    AllocateEditorArrays();
    MarkAllSlotsEmpty();
    memoryFile = memfd_create("animation", 0);
    if (memoryFile < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    std::string path = "/proc/self/fd/" + std::to_string(memoryFile);
    AssignString(&editor.session.basePath, path.c_str());
}

void CheckBones() {
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Bone& bone = BoneAt(frame, slot);
            if (BoneInUse(bone) && (!IsJointSlot(bone.jointA) || !IsJointSlot(bone.jointB) ||
                                    JointAt(frame, bone.jointA).state <= 0 ||
                                    JointAt(frame, bone.jointB).state <= 0)) {
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
    if (LoadAnimation() != 1 || !IsFrame(editor.animation.playbackEnd) ||
        editor.session.currentFrame != 0) {
        std::abort();
    }
    CheckBones();
    return 0;
}
