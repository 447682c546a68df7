// Frame edits as moves of whole rows of the grids. A frame is one row of 501 joints and one of 501
// bones; shifting, rotating and reversing rows keeps every byte of them, so only the rows an edit
// destroys are kept for taking it back.
#include "model/frame_range.h"

#include <algorithm>
#include <cstring>

namespace {

std::size_t Slots(int32_t frames) {
    return static_cast<std::size_t>(frames) * kSlotCount;
}

// Frames first to maxFrame - count move to first + count onwards; the last `count` are lost and
// frames first to first + count - 1 keep what they held.
void ShiftLater(Animation& animation, int32_t first, int32_t count) {
    std::size_t moved = Slots(animation.maxFrame + 1 - first - count);
    std::memmove(animation.FrameJoints(first + count), animation.FrameJoints(first),
                 moved * sizeof(Joint));
    std::memmove(animation.FrameBones(first + count), animation.FrameBones(first),
                 moved * sizeof(Bone));
}

// Frames first + count to maxFrame move to first onwards; the last `count` keep what they held.
void ShiftEarlier(Animation& animation, int32_t first, int32_t count) {
    std::size_t moved = Slots(animation.maxFrame + 1 - first - count);
    std::memmove(animation.FrameJoints(first), animation.FrameJoints(first + count),
                 moved * sizeof(Joint));
    std::memmove(animation.FrameBones(first), animation.FrameBones(first + count),
                 moved * sizeof(Bone));
}

void Save(Animation& animation, FrameEdit* edit, int32_t first, int32_t count) {
    edit->savedJoints.assign(animation.FrameJoints(first),
                             animation.FrameJoints(first) + Slots(count));
    edit->savedBones.assign(animation.FrameBones(first),
                            animation.FrameBones(first) + Slots(count));
}

void Restore(Animation& animation, const FrameEdit& edit, int32_t first) {
    std::memcpy(animation.FrameJoints(first), edit.savedJoints.data(),
                edit.savedJoints.size() * sizeof(Joint));
    std::memcpy(animation.FrameBones(first), edit.savedBones.data(),
                edit.savedBones.size() * sizeof(Bone));
}

// Frames as a fresh start leaves them: every slot empty, no stale position and no padding byte
// set, so that a file saved afterwards holds nothing of what was deleted.
void Empty(Animation& animation, int32_t first, int32_t count) {
    EmptySlots(animation.FrameJoints(first), animation.FrameBones(first), Slots(count));
}

void Copy(Animation& animation, int32_t from, int32_t to, int32_t count) {
    std::memcpy(animation.FrameJoints(to), animation.FrameJoints(from),
                Slots(count) * sizeof(Joint));
    std::memcpy(animation.FrameBones(to), animation.FrameBones(from), Slots(count) * sizeof(Bone));
}

// Frames first to end - 1 turned so that frame middle comes first.
void Rotate(Animation& animation, int32_t first, int32_t middle, int32_t end) {
    std::rotate(animation.FrameJoints(first), animation.FrameJoints(middle),
                animation.FrameJoints(end));
    std::rotate(animation.FrameBones(first), animation.FrameBones(middle),
                animation.FrameBones(end));
}

void Move(Animation& animation, int32_t first, int32_t count, int32_t destination) {
    if (destination < first) {
        Rotate(animation, destination, first, first + count);
    } else if (destination > first) {
        Rotate(animation, first, first + count, destination + count);
    }
}

void Reverse(Animation& animation, int32_t first, int32_t count) {
    for (int32_t low = first, high = first + count - 1; low < high; ++low, --high) {
        std::swap_ranges(animation.FrameJoints(low), animation.FrameJoints(low) + kSlotCount,
                         animation.FrameJoints(high));
        std::swap_ranges(animation.FrameBones(low), animation.FrameBones(low) + kSlotCount,
                         animation.FrameBones(high));
    }
}

bool IsRun(const Animation& animation, int32_t first, int32_t count) {
    return count > 0 && first >= 0 && first <= animation.maxFrame &&
           count <= animation.maxFrame + 1 - first;
}

bool IsValid(const Animation& animation, const FrameEdit& edit) {
    if (!IsRun(animation, edit.first, edit.count)) {
        return false;
    }
    switch (edit.kind) {
    case FrameEditKind::InsertCopies:
        return RoomForCopies(animation, edit.first, edit.count);
    case FrameEditKind::Move:
        return IsRun(animation, edit.destination, edit.count);
    case FrameEditKind::Delete:
    case FrameEditKind::Reverse:
        return true;
    }
    return false;
}

} // namespace

bool FrameInUse(const Animation& animation, int32_t frame) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (animation.JointAt(frame, slot).state != JointEmpty ||
            BoneInUse(animation.BoneAt(frame, slot))) {
            return true;
        }
    }
    return false;
}

int32_t LastFrameInUse(const Animation& animation) {
    for (int32_t frame = animation.maxFrame; frame > 0; --frame) {
        if (FrameInUse(animation, frame)) {
            return frame;
        }
    }
    return 0;
}

int32_t LastFrameWithJoints(const Animation& animation) {
    for (int32_t frame = animation.maxFrame; frame > 0; --frame) {
        if (FrameHasJoints(animation, frame, 0)) {
            return frame;
        }
    }
    return 0;
}

bool EmptyForStepping(const Animation& animation, int32_t frame) {
    return !FrameHasJoints(animation, frame, 1);
}

bool RoomForCopies(const Animation& animation, int32_t first, int32_t count) {
    if (!IsRun(animation, first, count) || first + 2 * count - 1 > animation.maxFrame) {
        return false;
    }
    for (int32_t frame = animation.maxFrame + 1 - count; frame <= animation.maxFrame; ++frame) {
        if (FrameInUse(animation, frame)) {
            return false;
        }
    }
    return true;
}

bool DoFrameEdit(Animation& animation, FrameEdit* edit) {
    if (!IsValid(animation, *edit)) {
        return false;
    }
    switch (edit->kind) {
    case FrameEditKind::InsertCopies:
        Save(animation, edit, animation.maxFrame + 1 - edit->count, edit->count);
        break;
    case FrameEditKind::Delete:
        Save(animation, edit, edit->first, edit->count);
        break;
    case FrameEditKind::Move:
    case FrameEditKind::Reverse:
        break;
    }
    RedoFrameEdit(animation, *edit);
    return true;
}

void RedoFrameEdit(Animation& animation, const FrameEdit& edit) {
    switch (edit.kind) {
    case FrameEditKind::InsertCopies:
        ShiftLater(animation, edit.first + edit.count, edit.count);
        Copy(animation, edit.first, edit.first + edit.count, edit.count);
        return;
    case FrameEditKind::Delete:
        ShiftEarlier(animation, edit.first, edit.count);
        Empty(animation, animation.maxFrame + 1 - edit.count, edit.count);
        return;
    case FrameEditKind::Move:
        Move(animation, edit.first, edit.count, edit.destination);
        return;
    case FrameEditKind::Reverse:
        Reverse(animation, edit.first, edit.count);
        return;
    }
}

void UndoFrameEdit(Animation& animation, const FrameEdit& edit) {
    switch (edit.kind) {
    case FrameEditKind::InsertCopies:
        ShiftEarlier(animation, edit.first + edit.count, edit.count);
        Restore(animation, edit, animation.maxFrame + 1 - edit.count);
        return;
    case FrameEditKind::Delete:
        ShiftLater(animation, edit.first, edit.count);
        Restore(animation, edit, edit.first);
        return;
    case FrameEditKind::Move:
        Move(animation, edit.destination, edit.count, edit.first);
        return;
    case FrameEditKind::Reverse:
        Reverse(animation, edit.first, edit.count);
        return;
    }
}

std::size_t FrameEditBytes(const FrameEdit& edit) {
    return edit.savedJoints.capacity() * sizeof(Joint) + edit.savedBones.capacity() * sizeof(Bone);
}
