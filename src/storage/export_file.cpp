// The export file: 10-byte records (frame, x and y of joint A, x and y of joint B, each a 16-bit
// little-endian word) of every standard bone, frame by frame and slot by slot, with no header. A
// frame without joints is passed over. The file takes the place of the previous export only once
// it is complete.
#include "storage/export_file.h"

#include <cstdint>
#include <string>
#include <vector>

#include "storage/animation_file.h"
#include "storage/atomic_file.h"
#include "storage/requesters.h"
#include "storage/text.h"

namespace {

void EncodeSegments(const Animation& animation, std::vector<unsigned char>* bytes) {
    for (int32_t frame = 0; frame <= animation.maxFrame; ++frame) {
        if (!FrameHasJoints(animation, frame, 0)) {
            continue;
        }
        for (const BoneSegment& segment : FrameSegments(animation, frame, false)) {
            for (int32_t word : {frame, segment.x1, segment.y1, segment.x2, segment.y2}) {
                bytes->push_back(static_cast<unsigned char>(word & 0xFF));
                bytes->push_back(static_cast<unsigned char>((word >> 8) & 0xFF));
            }
        }
    }
}

void ReportNotSaved() {
    ShowMessageBox("Error", "Konnte nicht speichern", 0);
}

} // namespace

std::vector<BoneSegment> FrameSegments(const Animation& animation, int32_t frame, bool freeLength) {
    std::vector<BoneSegment> segments;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = animation.BoneAt(frame, slot);
        bool kept = bone.kind == BoneStandard || (freeLength && bone.kind == BoneFreeLength);
        if (!BoneInUse(bone) || !kept || !IsJointSlot(bone.jointA) || !IsJointSlot(bone.jointB)) {
            continue;
        }
        const Joint& a = animation.JointAt(frame, bone.jointA);
        const Joint& b = animation.JointAt(frame, bone.jointB);
        segments.push_back({a.x, a.y, b.x, b.y});
    }
    return segments;
}

void ExportAnimation(const char* basePath, const Animation& animation) {
    if (StringEqual(basePath, "") != 0) {
        ReportNotSaved();
        return;
    }
    char* name = nullptr;
    int32_t start = WorkBufferLength();
    SiblingFileName(basePath, "_export.lmb", start);
    StoreBuiltString(&name, start);
    // The messages say only whether it worked; a file that cannot even be created is passed over.
    AtomicFile file;
    std::string error;
    if (AtomicFileCreate(name, &file, &error)) {
        std::vector<unsigned char> bytes;
        EncodeSegments(animation, &bytes);
        bool written = AtomicFileWrite(&file, bytes.data(), bytes.size(), &error);
        if (written && AtomicFileCommit(&file, &error)) {
            ShowFileMessageBox("Ok", "Exportiert als ", name);
        } else {
            AtomicFileAbandon(&file);
            ReportNotSaved();
        }
    }
    StringFree(name);
}
