// The undo history's steps and the one step being made. Slots are copied and compared as raw
// bytes, padding included, so that what comes back is byte for byte what was there: the stale
// positions of empty slots, which the head disc still reads, among them.
#include "editor/undo_history.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

#include "model/editor_state.h"
#include "model/frame_range.h"

namespace {

// The settings of the animation that steps change besides its frames and the shown frame.
int32_t* SettingField(Animation& animation, std::size_t field) {
    int32_t* fields[] = {&animation.box.left,   &animation.box.top,     &animation.box.right,
                         &animation.box.bottom, &animation.shadowOn,    &animation.collisionOn,
                         &animation.headOn,     &animation.groundColour};
    return fields[field];
}
constexpr std::size_t kSettingCount = 8;

struct Settings {
    int32_t values[kSettingCount];
    int32_t currentFrame;
    int32_t playbackEnd;
};

struct JointChange {
    int32_t index; // frame * 501 + slot
    Joint before;
    Joint after;
};
struct BoneChange {
    int32_t index;
    Bone before;
    Bone after;
};

struct Step {
    std::vector<JointChange> joints;
    std::vector<BoneChange> bones;
    Settings before;
    Settings after;
    int32_t shownFrame;
    // A step of the frame edits holds the edit itself instead of changed slots.
    bool hasFrameEdit = false;
    FrameEdit frameEdit;
    // A step that replaced the sound track holds the one not shown: before the step while it is
    // done, after it while it is taken back.
    bool hasSound = false;
    SoundTrack sound;
    std::size_t Bytes() const {
        return sizeof(Step) + joints.capacity() * sizeof(JointChange) +
               bones.capacity() * sizeof(BoneChange) + FrameEditBytes(frameEdit) +
               sound.samples.capacity() * sizeof(int16_t) + sound.reference.capacity();
    }
};

// The copy taken when a step begins; the buffers are kept for the next step.
struct OpenStep {
    bool open = false;
    bool gesture = false;
    uint32_t gesturesSeen = 0;
    int32_t firstFrame = 0;
    int32_t frameCount = 0;
    int32_t shownFrame = 0;
    Settings before{};
    std::vector<Joint> joints;
    std::vector<Bone> bones;
    bool soundChanged = false;
    SoundTrack soundBefore;
};

// The shown frame's joints as the solver found them, while no step was open.
struct Settling {
    int32_t frame = -1; // -1: no copy this cycle
    std::vector<Joint> joints;
};

struct History {
    std::deque<Step> steps;
    std::size_t done = 0; // steps[0, done) can be taken back, the rest done again
    std::size_t bytes = 0;
    OpenStep open;
    uint32_t gestures = 0; // in progress, as the main loop last told
    Settling settling;
    // What the solver settled since the last walk while steps remain to be done again, in slot
    // order: before is the slot as the walk left it. It goes back before the next walk, so that
    // redo repeats exactly what was done; a new step keeps it with the step before.
    std::vector<JointChange> walkSettling;
};

History history;

Settings CurrentSettings() {
    Settings settings{};
    for (std::size_t field = 0; field < kSettingCount; ++field) {
        settings.values[field] = *SettingField(editor.animation, field);
    }
    settings.currentFrame = editor.session.currentFrame;
    settings.playbackEnd = editor.animation.playbackEnd;
    return settings;
}

Joint* JointGrid() {
    return editor.animation.joints.data();
}
Bone* BoneGrid() {
    return editor.animation.bones.data();
}

void Open(int32_t firstFrame, int32_t lastFrame, bool gesture) {
    OpenStep& open = history.open;
    firstFrame = std::max(firstFrame, 0);
    lastFrame = std::min(lastFrame, editor.animation.maxFrame);
    open.open = true;
    open.gesture = gesture;
    open.gesturesSeen = 0;
    open.firstFrame = firstFrame;
    open.frameCount = std::max(lastFrame - firstFrame + 1, 0);
    open.shownFrame = editor.session.currentFrame;
    open.before = CurrentSettings();
    open.soundChanged = false;
    open.soundBefore = SoundTrack{};
    auto count = static_cast<std::size_t>(open.frameCount) * kSlotCount;
    std::size_t first = static_cast<std::size_t>(firstFrame) * kSlotCount;
    open.joints.resize(count);
    open.bones.resize(count);
    if (count == 0) {
        return; // a range wholly outside the grids: only the box and toggles are compared
    }
    std::memcpy(open.joints.data(), JointGrid() + first, count * sizeof(Joint));
    std::memcpy(open.bones.data(), BoneGrid() + first, count * sizeof(Bone));
}

// The slots that differ from the copy, counted first so that each step holds exactly its own.
template <typename Slot, typename Change>
void CollectChanges(const std::vector<Slot>& before, const Slot* grid, std::size_t first,
                    std::vector<Change>* changes) {
    std::size_t count = 0;
    for (std::size_t index = 0; index < before.size(); ++index) {
        count += std::memcmp(&before[index], grid + first + index, sizeof(Slot)) != 0;
    }
    changes->reserve(count);
    for (std::size_t index = 0; index < before.size() && count > 0; ++index) {
        if (std::memcmp(&before[index], grid + first + index, sizeof(Slot)) != 0) {
            Change& change = changes->emplace_back();
            change.index = static_cast<int32_t>(first + index);
            std::memcpy(&change.before, &before[index], sizeof(Slot));
            std::memcpy(&change.after, grid + first + index, sizeof(Slot));
        }
    }
}

bool SameSettings(const Settings& a, const Settings& b) {
    return std::equal(std::begin(a.values), std::end(a.values), std::begin(b.values));
}

// Adds settled slots to a step's changes, both in slot order: a slot the step already changed
// keeps its first before and takes the settled after. Copied as bytes, as everywhere here.
void MergeSettled(const std::vector<JointChange>& settled, std::vector<JointChange>* changes) {
    auto byIndex = [](const JointChange& change, int32_t index) { return change.index < index; };
    std::size_t added = 0;
    for (const JointChange& change : settled) {
        auto found = std::lower_bound(changes->begin(), changes->end(), change.index, byIndex);
        if (found != changes->end() && found->index == change.index) {
            std::memcpy(&found->after, &change.after, sizeof(Joint));
        } else {
            added += 1;
        }
    }
    if (added == 0) {
        return; // the usual case once a frame has settled into the step before
    }
    std::vector<JointChange> merged(changes->size() + added);
    std::size_t kept = 0;
    std::size_t next = 0;
    for (JointChange& slot : merged) {
        bool takeKept = next == settled.size() ||
                        (kept < changes->size() && (*changes)[kept].index <= settled[next].index);
        const JointChange& source = takeKept ? (*changes)[kept++] : settled[next++];
        if (takeKept && next < settled.size() && settled[next].index == source.index) {
            next += 1; // already merged above
        }
        std::memcpy(&slot, &source, sizeof(JointChange));
    }
    changes->swap(merged);
}

// Settled slots join the last step done, which can grow past the byte bound by a frame at most:
// the oldest steps make room as for a new step. Before the first step they are part of the state
// the history starts from.
void AddToLastStep(const std::vector<JointChange>& settled) {
    if (history.done == 0 || settled.empty()) {
        return;
    }
    Step& step = history.steps[history.done - 1];
    history.bytes -= step.Bytes();
    MergeSettled(settled, &step.joints);
    history.bytes += step.Bytes();
    while (history.bytes > kUndoByteLimit && history.done > 1) {
        history.bytes -= history.steps.front().Bytes();
        history.steps.pop_front();
        history.done -= 1;
    }
}

// What the solver changed outside any edit joins the last step done, whose state made it
// necessary, or, while steps remain to be done again, waits beside the history until the next
// walk takes it back or a new step keeps it.
void KeepSettling() {
    Settling& settling = history.settling;
    int32_t frame = settling.frame;
    settling.frame = -1;
    std::size_t first = static_cast<std::size_t>(frame) * kSlotCount;
    if (std::memcmp(settling.joints.data(), JointGrid() + first, kSlotCount * sizeof(Joint)) == 0) {
        return;
    }
    std::vector<JointChange> settled;
    CollectChanges(settling.joints, JointGrid(), first, &settled);
    if (history.done < history.steps.size()) {
        MergeSettled(settled, &history.walkSettling);
        return;
    }
    AddToLastStep(settled);
}

void KeepWalkSettling() {
    AddToLastStep(history.walkSettling);
    history.walkSettling.clear();
}

// Before a walk: the grids as the last walk left them.
void TakeBackWalkSettling() {
    Joint* joints = JointGrid();
    for (const JointChange& change : history.walkSettling) {
        std::memcpy(joints + change.index, &change.before, sizeof(Joint));
    }
    history.walkSettling.clear();
}

void AddStep(Step&& step) {
    KeepWalkSettling();
    while (history.steps.size() > history.done) {
        history.bytes -= history.steps.back().Bytes();
        history.steps.pop_back();
    }
    history.bytes += step.Bytes();
    history.steps.push_back(std::move(step));
    while (history.steps.size() > kUndoStepLimit || history.bytes > kUndoByteLimit) {
        history.bytes -= history.steps.front().Bytes();
        history.steps.pop_front();
    }
    history.done = history.steps.size();
}

void Close() {
    OpenStep& open = history.open;
    if (!open.open) {
        return;
    }
    open.open = false;
    Step step;
    step.before = open.before;
    step.after = CurrentSettings();
    step.shownFrame = open.shownFrame;
    std::size_t first = static_cast<std::size_t>(open.firstFrame) * kSlotCount;
    CollectChanges(open.joints, JointGrid(), first, &step.joints);
    CollectChanges(open.bones, BoneGrid(), first, &step.bones);
    step.hasSound = open.soundChanged;
    step.sound = std::exchange(open.soundBefore, SoundTrack{});
    open.soundChanged = false;
    if (step.joints.empty() && step.bones.empty() && !step.hasSound &&
        SameSettings(step.before, step.after)) {
        return;
    }
    AddStep(std::move(step));
}

// Whether the gesture step's own work (a joint dragged, the figure moved, the bones re-measured,
// the box drawn) has changed anything yet. Until it has, what the solver changes on the gesture's
// frame is settling, as it is outside any step: holding Ctrl over a frame still being pulled into
// the box is no edit.
bool GestureChanged() {
    const OpenStep& open = history.open;
    std::size_t first = static_cast<std::size_t>(open.firstFrame) * kSlotCount;
    return !SameSettings(open.before, CurrentSettings()) ||
           std::memcmp(open.joints.data(), JointGrid() + first,
                       open.joints.size() * sizeof(Joint)) != 0 ||
           std::memcmp(open.bones.data(), BoneGrid() + first, open.bones.size() * sizeof(Bone)) !=
               0;
}

// The gesture's copy takes the settled slots, so that its step begins from them.
void SettleGestureCopy(int32_t frame) {
    OpenStep& open = history.open;
    if (!open.open || !open.gesture || frame < open.firstFrame ||
        frame >= open.firstFrame + open.frameCount) {
        return;
    }
    std::size_t at = static_cast<std::size_t>(frame - open.firstFrame) * kSlotCount;
    std::memcpy(open.joints.data() + at, editor.animation.FrameJoints(frame),
                kSlotCount * sizeof(Joint));
}

void OpenGestureStep(uint32_t gestures) {
    Open(editor.session.currentFrame, editor.session.currentFrame, true);
    history.open.gesturesSeen = gestures;
}

// The step's sound and the shown one change places; the history's size follows.
void TradeSound(Step& step) {
    if (!step.hasSound) {
        return;
    }
    history.bytes -= step.Bytes();
    std::swap(step.sound.reference, editor.animation.sound.reference);
    std::swap(step.sound.samples, editor.animation.sound.samples);
    editor.animation.sound.changes += 1;
    history.bytes += step.Bytes();
}

void Apply(Step& step, bool forward) {
    TradeSound(step);
    // Slots a frame edit's step holds were changed after the edit (what the solver settled).
    if (step.hasFrameEdit && forward) {
        RedoFrameEdit(editor.animation, step.frameEdit);
    }
    Joint* joints = JointGrid();
    for (const JointChange& change : step.joints) {
        std::memcpy(joints + change.index, forward ? &change.after : &change.before, sizeof(Joint));
    }
    Bone* bones = BoneGrid();
    for (const BoneChange& change : step.bones) {
        std::memcpy(bones + change.index, forward ? &change.after : &change.before, sizeof(Bone));
    }
    if (step.hasFrameEdit && !forward) {
        UndoFrameEdit(editor.animation, step.frameEdit);
    }
    const Settings& target = forward ? step.after : step.before;
    const Settings& other = forward ? step.before : step.after;
    // Only what the step changed: a toggle flipped since then keeps its new value.
    for (std::size_t field = 0; field < kSettingCount; ++field) {
        if (target.values[field] != other.values[field]) {
            *SettingField(editor.animation, field) = target.values[field];
        }
    }
    if (target.currentFrame != other.currentFrame || target.playbackEnd != other.playbackEnd) {
        editor.session.currentFrame = target.currentFrame;
        editor.animation.playbackEnd = target.playbackEnd;
    } else {
        editor.animation.playbackEnd = ClampToInt32(int64_t{editor.animation.playbackEnd} +
                                                    step.shownFrame - editor.session.currentFrame);
        editor.session.currentFrame = step.shownFrame;
    }
    editor.session.draggedJoint = -1;
    editor.session.boneStartJoint = -1;
    editor.session.drawingBox = 0;
}

// A gesture step is ended before a command's step or a walk through the history; the gestures
// then still in progress go on in a step of their own. A drag the command ended (X and a load
// take the dragged joint away) is no longer one of them.
void ResumeGestures() {
    if (editor.session.draggedJoint < 0) {
        history.gestures &= ~uint32_t{UndoGestureDrag};
    }
    if (history.gestures != 0 && !history.open.open) {
        OpenGestureStep(history.gestures);
    }
}

} // namespace

void UndoBeginStep(int32_t firstFrame, int32_t lastFrame) {
    Close();
    Open(firstFrame, lastFrame, false);
}

void UndoEndStep() {
    if (!history.open.open || history.open.gesture) {
        return;
    }
    Close();
    ResumeGestures(); // a joint dragged on while X emptied the frames moves on in a new step
}

void UndoKeepSoundBefore(SoundTrack&& before) {
    OpenStep& open = history.open;
    if (!open.open || open.gesture) {
        return; // only a command's step has a sound before it
    }
    if (!open.soundChanged) {
        open.soundBefore = std::move(before);
        open.soundChanged = true;
    }
}

void UndoBeginFrameEdit() {
    Close();
}

void UndoRecordFrameEdit(FrameEdit&& edit, int32_t frameBefore, int32_t playbackEndBefore) {
    Close();
    Step step;
    step.before = CurrentSettings();
    step.before.currentFrame = frameBefore;
    step.before.playbackEnd = playbackEndBefore;
    step.after = CurrentSettings();
    step.shownFrame = frameBefore;
    step.hasFrameEdit = true;
    step.frameEdit = std::move(edit);
    AddStep(std::move(step));
    ResumeGestures();
}

void UndoNoteGestures(uint32_t gestures) {
    history.gestures = gestures;
    if (history.open.open) {
        history.open.gesturesSeen |= gestures;
    } else if (gestures != 0) {
        OpenGestureStep(gestures);
    }
}

void UndoGestureFrames(int32_t firstFrame, int32_t lastFrame) {
    OpenStep& open = history.open;
    firstFrame = std::max(firstFrame, 0);
    lastFrame = std::min(lastFrame, editor.animation.maxFrame);
    int32_t oldLast = open.firstFrame + open.frameCount - 1;
    if (!open.open || !open.gesture || lastFrame < firstFrame ||
        (open.frameCount > 0 && firstFrame >= open.firstFrame && lastFrame <= oldLast)) {
        return;
    }
    int32_t first = open.frameCount > 0 ? std::min(firstFrame, open.firstFrame) : firstFrame;
    int32_t last = open.frameCount > 0 ? std::max(lastFrame, oldLast) : lastFrame;
    std::size_t start = static_cast<std::size_t>(first) * kSlotCount;
    std::size_t count = static_cast<std::size_t>(last - first + 1) * kSlotCount;
    std::vector<Joint> joints(JointGrid() + start, JointGrid() + start + count);
    std::vector<Bone> bones(BoneGrid() + start, BoneGrid() + start + count);
    // The frames the step covered already keep the state it began from.
    if (open.frameCount > 0) {
        std::size_t at = static_cast<std::size_t>(open.firstFrame - first) * kSlotCount;
        std::copy(open.joints.begin(), open.joints.end(), joints.begin() + at);
        std::copy(open.bones.begin(), open.bones.end(), bones.begin() + at);
    }
    open.joints.swap(joints);
    open.bones.swap(bones);
    open.firstFrame = first;
    open.frameCount = last - first + 1;
}

void UndoBeforeSolver() {
    OpenStep& open = history.open;
    if (open.open && open.shownFrame != editor.session.currentFrame) {
        Close(); // a gesture carried onto another frame: the rest of it is a step there
    }
    if (!editor.animation.IsFrame(editor.session.currentFrame) ||
        (open.open && (!open.gesture || GestureChanged()))) {
        return;
    }
    Settling& settling = history.settling;
    settling.frame = editor.session.currentFrame;
    settling.joints.resize(kSlotCount);
    std::memcpy(settling.joints.data(), editor.animation.FrameJoints(editor.session.currentFrame),
                kSlotCount * sizeof(Joint));
}

void UndoEndOfCycle(uint32_t gestures) {
    history.gestures = gestures;
    if (history.settling.frame >= 0) {
        int32_t frame = history.settling.frame;
        KeepSettling();
        SettleGestureCopy(frame);
    }
    OpenStep& open = history.open;
    if (!open.open) {
        return; // a gesture goes on in a step opened before the next cycle's first change
    }
    if (gestures != 0) {
        open.gesturesSeen |= gestures;
        return;
    }
    Close();
}

// After a walk the drag and the box are over; Shift and Ctrl still held begin anew in the next
// cycle, after the solver has seen the state that came back.
void UndoTakeBack() {
    Close();
    if (history.done == 0) {
        ResumeGestures();
        return;
    }
    TakeBackWalkSettling();
    history.done -= 1;
    Apply(history.steps[history.done], false);
}

void UndoDoAgain() {
    Close();
    if (history.done == history.steps.size()) {
        ResumeGestures();
        return;
    }
    TakeBackWalkSettling();
    Apply(history.steps[history.done], true);
    history.done += 1;
}

void UndoClear() {
    history.steps.clear();
    history.done = 0;
    history.bytes = 0;
    history.open.open = false;
    history.gestures = 0;
    history.settling.frame = -1;
    history.walkSettling.clear();
}

std::size_t UndoStepCount() {
    return history.done;
}
std::size_t UndoRedoCount() {
    return history.steps.size() - history.done;
}
std::size_t UndoHistoryBytes() {
    return history.bytes;
}
