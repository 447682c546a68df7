// The export file: 10-byte records (frame, x and y of joint A, x and y of joint B, each a 16-bit
// little-endian word) of every standard bone, frame by frame and slot by slot, with no header. A
// frame without joints is passed over. The file takes the place of the previous export only once
// it is complete.
#include "storage/export_file.h"

#include <cstdint>

#include "editor/editor_state.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "storage/requesters.h"
#include "storage/text.h"

namespace {

constexpr int32_t kFile = 0;
constexpr int32_t kSegmentSize = 10;

bool FrameHasJoints(int32_t frame) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (JointAt(frame, slot).state != JointEmpty) {
            return true;
        }
    }
    return false;
}

void WriteSegments() {
    unsigned char segment[kSegmentSize];
    for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
        if (!FrameHasJoints(frame)) {
            continue;
        }
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Bone& bone = BoneAt(frame, slot);
            if (!BoneInUse(bone) || bone.kind != BoneStandard || !IsJointSlot(bone.jointA) ||
                !IsJointSlot(bone.jointB)) {
                continue;
            }
            const Joint& a = JointAt(frame, bone.jointA);
            const Joint& b = JointAt(frame, bone.jointB);
            int32_t words[5] = {frame, a.x, a.y, b.x, b.y};
            for (int32_t index = 0; index < 5; ++index) {
                segment[index * 2] = static_cast<unsigned char>(words[index] & 0xFF);
                segment[index * 2 + 1] = static_cast<unsigned char>((words[index] >> 8) & 0xFF);
            }
            FileWriteBlock(kFile, segment, kSegmentSize);
        }
    }
}

void ReportNotSaved() {
    ShowMessageBox("Error", "Konnte nicht speichern", 0);
}

} // namespace

void ExportAnimation() {
    if (StringEqual(editor.basePath, "") != 0) {
        ReportNotSaved();
        return;
    }
    char* name = nullptr;
    int32_t start = WorkBufferLength();
    SiblingFileName("_export.lmb", start);
    StoreBuiltString(&name, start);
    if (FileCreateReplacing(kFile, name) != 0) {
        WriteSegments();
        if (FileCommit(kFile) != 0) {
            ShowFileMessageBox("Ok", "Exportiert als ", name);
        } else {
            ReportNotSaved();
        }
    }
    StringFree(name);
}
