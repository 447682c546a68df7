// Frame edits as moves of whole rows of the grids. A frame is one row of 501 joints and one of 501
// bones; shifting, rotating and reversing rows keeps every byte of them, so only the rows an edit
// destroys are kept for taking it back.
#include "model/frame_range.h"

#include <algorithm>
#include <cstring>

namespace {

Joint* JointRow(int32_t frame) {
    return &JointAt(frame, 0);
}
Bone* BoneRow(int32_t frame) {
    return &BoneAt(frame, 0);
}
std::size_t Slots(int32_t frames) {
    return static_cast<std::size_t>(frames) * kSlotCount;
}

// Frames first to maxFrame - count move to first + count onwards; the last `count` are lost and
// frames first to first + count - 1 keep what they held.
void ShiftLater(int32_t first, int32_t count) {
    std::size_t moved = Slots(editor.maxFrame + 1 - first - count);
    std::memmove(JointRow(first + count), JointRow(first), moved * sizeof(Joint));
    std::memmove(BoneRow(first + count), BoneRow(first), moved * sizeof(Bone));
}

// Frames first + count to maxFrame move to first onwards; the last `count` keep what they held.
void ShiftEarlier(int32_t first, int32_t count) {
    std::size_t moved = Slots(editor.maxFrame + 1 - first - count);
    std::memmove(JointRow(first), JointRow(first + count), moved * sizeof(Joint));
    std::memmove(BoneRow(first), BoneRow(first + count), moved * sizeof(Bone));
}

void Save(FrameEdit* edit, int32_t first, int32_t count) {
    edit->savedJoints.assign(JointRow(first), JointRow(first) + Slots(count));
    edit->savedBones.assign(BoneRow(first), BoneRow(first) + Slots(count));
}

void Restore(const FrameEdit& edit, int32_t first) {
    std::memcpy(JointRow(first), edit.savedJoints.data(), edit.savedJoints.size() * sizeof(Joint));
    std::memcpy(BoneRow(first), edit.savedBones.data(), edit.savedBones.size() * sizeof(Bone));
}

// Frames as a fresh start leaves them: every slot empty, no stale position and no padding byte
// set, so that a file saved afterwards holds nothing of what was deleted.
void Empty(int32_t first, int32_t count) {
    std::memset(static_cast<void*>(JointRow(first)), 0, Slots(count) * sizeof(Joint));
    std::memset(static_cast<void*>(BoneRow(first)), 0, Slots(count) * sizeof(Bone));
    for (std::size_t index = 0; index < Slots(count); ++index) {
        JointRow(first)[index].x = -1;
        JointRow(first)[index].y = -1;
        BoneRow(first)[index].jointA = -1;
        BoneRow(first)[index].jointB = -1;
    }
}

void Copy(int32_t from, int32_t to, int32_t count) {
    std::memcpy(JointRow(to), JointRow(from), Slots(count) * sizeof(Joint));
    std::memcpy(BoneRow(to), BoneRow(from), Slots(count) * sizeof(Bone));
}

// Frames first to end - 1 turned so that frame middle comes first.
void Rotate(int32_t first, int32_t middle, int32_t end) {
    std::rotate(JointRow(first), JointRow(middle), JointRow(end));
    std::rotate(BoneRow(first), BoneRow(middle), BoneRow(end));
}

void Move(int32_t first, int32_t count, int32_t destination) {
    if (destination < first) {
        Rotate(destination, first, first + count);
    } else if (destination > first) {
        Rotate(first, first + count, destination + count);
    }
}

void Reverse(int32_t first, int32_t count) {
    for (int32_t low = first, high = first + count - 1; low < high; ++low, --high) {
        std::swap_ranges(JointRow(low), JointRow(low) + kSlotCount, JointRow(high));
        std::swap_ranges(BoneRow(low), BoneRow(low) + kSlotCount, BoneRow(high));
    }
}

bool IsRun(int32_t first, int32_t count) {
    return count > 0 && first >= 0 && first <= editor.maxFrame &&
           count <= editor.maxFrame + 1 - first;
}

bool IsValid(const FrameEdit& edit) {
    if (!IsRun(edit.first, edit.count)) {
        return false;
    }
    switch (edit.kind) {
    case FrameEditKind::InsertCopies:
        return RoomForCopies(edit.first, edit.count);
    case FrameEditKind::Move:
        return IsRun(edit.destination, edit.count);
    case FrameEditKind::Delete:
    case FrameEditKind::Reverse:
        return true;
    }
    return false;
}

} // namespace

bool FrameInUse(int32_t frame) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (JointAt(frame, slot).state != JointEmpty || BoneInUse(BoneAt(frame, slot))) {
            return true;
        }
    }
    return false;
}

int32_t LastFrameInUse() {
    for (int32_t frame = editor.maxFrame; frame > 0; --frame) {
        if (FrameInUse(frame)) {
            return frame;
        }
    }
    return 0;
}

int32_t LastFrameWithJoints() {
    for (int32_t frame = editor.maxFrame; frame > 0; --frame) {
        if (FrameHasJoints(frame, 0)) {
            return frame;
        }
    }
    return 0;
}

bool EmptyForStepping(int32_t frame) {
    return !FrameHasJoints(frame, 1);
}

bool RoomForCopies(int32_t first, int32_t count) {
    if (!IsRun(first, count) || first + 2 * count - 1 > editor.maxFrame) {
        return false;
    }
    for (int32_t frame = editor.maxFrame + 1 - count; frame <= editor.maxFrame; ++frame) {
        if (FrameInUse(frame)) {
            return false;
        }
    }
    return true;
}

bool DoFrameEdit(FrameEdit* edit) {
    if (!IsValid(*edit)) {
        return false;
    }
    switch (edit->kind) {
    case FrameEditKind::InsertCopies:
        Save(edit, editor.maxFrame + 1 - edit->count, edit->count);
        break;
    case FrameEditKind::Delete:
        Save(edit, edit->first, edit->count);
        break;
    case FrameEditKind::Move:
    case FrameEditKind::Reverse:
        break;
    }
    RedoFrameEdit(*edit);
    return true;
}

void RedoFrameEdit(const FrameEdit& edit) {
    switch (edit.kind) {
    case FrameEditKind::InsertCopies:
        ShiftLater(edit.first + edit.count, edit.count);
        Copy(edit.first, edit.first + edit.count, edit.count);
        return;
    case FrameEditKind::Delete:
        ShiftEarlier(edit.first, edit.count);
        Empty(editor.maxFrame + 1 - edit.count, edit.count);
        return;
    case FrameEditKind::Move:
        Move(edit.first, edit.count, edit.destination);
        return;
    case FrameEditKind::Reverse:
        Reverse(edit.first, edit.count);
        return;
    }
}

void UndoFrameEdit(const FrameEdit& edit) {
    switch (edit.kind) {
    case FrameEditKind::InsertCopies:
        ShiftEarlier(edit.first + edit.count, edit.count);
        Restore(edit, editor.maxFrame + 1 - edit.count);
        return;
    case FrameEditKind::Delete:
        ShiftLater(edit.first, edit.count);
        Restore(edit, edit.first);
        return;
    case FrameEditKind::Move:
        Move(edit.destination, edit.count, edit.first);
        return;
    case FrameEditKind::Reverse:
        Reverse(edit.first, edit.count);
        return;
    }
}

std::size_t FrameEditBytes(const FrameEdit& edit) {
    return edit.savedJoints.capacity() * sizeof(Joint) + edit.savedBones.capacity() * sizeof(Bone);
}
