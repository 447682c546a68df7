// Undo and redo in scripted sessions: each kind of step is taken back to the exact bytes before it
// and done again to the exact bytes after it, on a German layout; gestures interrupted by the
// chords; the bounds of the history; the periodic backup after an undo.
#include <array>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <string_view>
#include <tuple>
#include <vector>

#include "editor/editor_picture.h"
#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "storage/animation_file.h"
#include "storage/periodic_backup.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

// The grids byte for byte, the box and toggles, the shown frame and playbackEnd.
struct Snapshot {
    std::vector<unsigned char> joints;
    std::vector<unsigned char> bones;
    std::vector<int32_t> settings;
    std::vector<int32_t> frames; // currentFrame, playbackEnd
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take() {
    auto slots = static_cast<std::size_t>(editor.animation.maxFrame + 1) * kSlotCount;
    auto* joints = reinterpret_cast<unsigned char*>(editor.animation.joints.data());
    auto* bones = reinterpret_cast<unsigned char*>(editor.animation.bones.data());
    return Snapshot{{joints, joints + slots * sizeof(Joint)},
                    {bones, bones + slots * sizeof(Bone)},
                    {editor.animation.box.left, editor.animation.box.top,
                     editor.animation.box.right, editor.animation.box.bottom,
                     editor.animation.shadowOn, editor.animation.collisionOn,
                     editor.animation.headOn, editor.animation.groundColour},
                    {editor.session.currentFrame, editor.animation.playbackEnd}};
}

// Frames 0 to 3 of a small figure: a static joint, bones of all three kinds, a deleted joint and
// bone leaving stale slots, one rest length off by a fraction; frame 3 shown, frame 4 empty.
void BuildAnimation() {
    for (int32_t frame = 0; frame <= 3; ++frame) {
        editor.session.currentFrame = frame;
        AddJoint(300 + 5 * frame, 250, JointNormal);
        AddJoint(300, 300, JointStatic);
        AddJoint(350, 300, JointNormal);
        AddJoint(400, 300, JointNormal);
        AddJoint(330, 360, JointNormal);
        AddBone(0, 1, BoneStabilising);
        AddBone(1, 2, BoneStandard);
        AddBone(2, 3, BoneFreeLength);
        AddBone(1, 4, BoneStandard);
        DeleteJoint(3);
        BoneAt(frame, 3).restLength += 0.3;
    }
    editor.animation.playbackEnd = 3;
    editor.animation.headOn = 1;
}

// The same with a red pen 12 pixels wide, for key A, and frame 1 shown.
void BuildAnimationWithPen() {
    BuildAnimation();
    editor.session.pen = BoneStyle{0xFF, 0, 0, 1, 11, ShapeLine};
    editor.session.currentFrame = 1;
}

// The same at frame 0 with playbackEnd still 3, as playback leaves it; and at frame 2.
void BuildAnimationAtFrame0() {
    BuildAnimation();
    editor.session.currentFrame = 0;
}
void BuildAnimationAtFrame2() {
    BuildAnimation();
    editor.session.currentFrame = editor.animation.playbackEnd = 2;
}

// A chain between two pinned ends, one end then moved away: the solver stretches its bones.
void BuildStretchedChain() {
    for (int32_t slot = 0; slot <= 3; ++slot) {
        AddJoint(300 + 40 * slot, 300, slot % 3 == 0 ? JointStatic : JointNormal);
        if (slot > 0) {
            AddBone(slot - 1, slot, BoneStandard);
        }
    }
    JointAt(0, 3).x = 500;
}

// The same, with frames 1 and 2 untouched copies of frame 0: the in-betweens fill them.
void BuildPoses() {
    BuildAnimation();
    for (int32_t frame = 1; frame <= 2; ++frame) {
        std::memcpy(&JointAt(frame, 0), &JointAt(0, 0), sizeof(Joint) * kSlotCount);
        std::memcpy(&BoneAt(frame, 0), &BoneAt(0, 0), sizeof(Bone) * kSlotCount);
    }
}

// 501 frames of 501 joints on a grid and 501 bones between neighbours; frame 3 shown.
void BuildLargest() {
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            JointAt(frame, slot) = Joint{40 + slot % 21 * 36 + frame % 3, 30 + slot / 21 * 23,
                                         static_cast<int8_t>(slot % 5 == 0 ? 2 : 1)};
        }
        editor.session.currentFrame = frame;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            AddBone(slot, (slot + 1) % kSlotCount, slot % 3);
        }
    }
    editor.session.currentFrame = 3;
    editor.animation.playbackEnd = 7;
}

// A state of the edit: the animation, the box and the toggles, not the frame shown.
std::size_t KeyOf(const Snapshot& snapshot) {
    auto hash = [](const auto& values) {
        return std::hash<std::string_view>{}(
            {reinterpret_cast<const char*>(values.data()), values.size() * sizeof(values[0])});
    };
    return hash(snapshot.joints) ^ hash(snapshot.bones) * 3 ^ hash(snapshot.settings) * 5;
}

class Undo : public ScriptedSession {
  protected:
    static inline std::set<std::size_t> seen; // going forward, while afterCycle notes them
    static void NoteState() { seen.insert(KeyOf(Take())); }
    static void Fresh() {
        editor.animation = Animation();
        ResetAll();
        editor.animation.shadowOn = editor.animation.collisionOn = editor.animation.headOn = 0;
        editor.session.pen = BoneStyle{};
        editor.animation.groundColour = kDefaultGroundColour;
        UndoClear();
    }
    static void Chord(int32_t ctrl, int32_t key) {
        Hold(ctrl);
        Hold(key);
        Cycle();
        Release(key);
        Release(ctrl);
        Cycle();
    }
    static void CtrlZ() { Chord(ScanLeftCtrl, ScanCodeOfLetter('Z')); }
    static void CtrlY() { Chord(ScanRightCtrl, ScanCodeOfLetter('Y')); }
    // Key (0 for none) and buttons down at (fromX, fromY), then `midway` if any, to (toX, toY),
    // up unless it goes on.
    static void Gesture(int32_t key, int32_t buttons, int32_t fromX, int32_t fromY, int32_t toX,
                        int32_t toY, bool goesOn = false, void (*midway)() = nullptr) {
        MoveCursor(fromX, fromY);
        Cycle();
        Hold(key);
        SetButtons(buttons);
        Cycle();
        if (midway != nullptr) {
            midway();
        }
        MoveCursor(toX, toY);
        Cycles(2);
        if (!goesOn) {
            Release(key);
            SetButtons(0);
            Cycle();
        }
    }
};

struct StepRow {
    const char* name;
    void (*build)();
    int32_t key;
    int32_t buttons;
    int32_t fromX, fromY, toX, toY;
    bool framesComeBack = false;   // else undo shows the frame the step changed
    void (*buildFile)() = nullptr; // the animation saved for F8 to load
    void (*midway)() = nullptr;    // while the key and buttons are down
    void (*afterwards)() = nullptr;
    std::size_t steps = 1;
};

// Undo walks back through the row's steps and redo forward again; every state on the way is one
// that existed going forward, and each walk ends exactly where the edit began or ended.
TEST_F(Undo, EveryKindOfStepIsTakenBackAndDoneAgainByteForByte) {
    const StepRow rows[] = {
        {"left drag", BuildAnimation, 0, kLeftButton, 350, 300, 360, 320},
        {"right-button bone", BuildAnimation, 0, kRightButton, 350, 300, 330, 360},
        {"key 1, a stale slot", BuildAnimation, ScanKey1, 0, 500, 400, 500, 400},
        {"Tab", BuildAnimation, ScanTab, 0, 350, 300, 350, 300},
        {"Delete", BuildAnimation, ScanDelete, 0, 300, 300, 300, 300},
        {"X", BuildAnimation, ScanX, 0, 400, 400, 400, 400, true},
        {"W box and collision", BuildAnimation, ScanW, 0, 100, 100, 700, 500},
        {"Shift stretch", BuildAnimation, ScanLeftShift, kLeftButton, 350, 300, 380, 330},
        {"left Ctrl move", BuildAnimation, ScanLeftCtrl, 0, 400, 400, 420, 390},
        {"F7 copy into an empty frame", BuildAnimation, ScanF7, 0, 0, 0, 0, 0},
        {"F11", BuildAnimation, ScanF11, 0, 0, 0, 0, 0},
        {"I in-betweens", BuildPoses, ScanI, 0, 0, 0, 0, 0},
        {"A styles a bone in frames 1 to 3", BuildAnimationWithPen, 0x1E, 0, 325, 304, 325, 304},
        {"B the ground", BuildAnimation, 0x30, 0, 0, 0, 0, 0},
        {"F8 loading the largest", BuildAnimation, ScanF8, 0, 0, 0, 0, 0, true, BuildLargest},
        {"X on the largest", BuildLargest, ScanX, 0, 0, 0, 0, 0, true},
        {"F8 over the largest", BuildLargest, ScanF8, 0, 0, 0, 0, 0, true, BuildAnimation},
        {"X on frame 0 brings playbackEnd back", BuildAnimationAtFrame0, ScanX, 0, 0, 0, 0, 0,
         true},
        {"F8 on frame 0 brings playbackEnd back", BuildAnimationAtFrame0, ScanF8, 0, 0, 0, 0, 0,
         true, BuildLargest},
        {"X during a drag ends it", BuildAnimation, ScanX, kLeftButton, 350, 300, 360, 320, true},
        {"F8 during a drag ends it", BuildAnimation, ScanF8, kLeftButton, 350, 300, 360, 320, true,
         BuildLargest},
        {"W box, then F6 pulls frame 2 into it", BuildAnimation, ScanW, 0, 320, 200, 700, 500,
         false, nullptr, nullptr,
         [] {
             Tap(ScanF6);
             Tap(ScanF7);
         }},
        {"Shift hold re-measuring a stretched chain", BuildStretchedChain, ScanLeftShift, 0, 450,
         450, 450, 450},
        {"left Ctrl carried over F7 onto frame 3", BuildAnimationAtFrame2, ScanLeftCtrl, 0, 400,
         400, 420, 390, true, nullptr,
         [] {
             MoveCursor(410, 395);
             Cycle();
             Tap(ScanF7);
         },
         nullptr, 2},
    };
    HeadlessSetLetterKey('Z', 0x15); // a German keyboard: Z and Y change places
    HeadlessSetLetterKey('Y', 0x2C);
    for (const StepRow& row : rows) {
        Fresh();
        if (row.buildFile != nullptr) {
            row.buildFile();
            ASSERT_NE(SaveAnimation(), 0);
            Fresh();
        }
        row.build();
        Cycles(2);
        Snapshot before = Take();
        seen = {KeyOf(before)};
        afterCycle = NoteState;
        Gesture(row.key, row.buttons, row.fromX, row.fromY, row.toX, row.toY, false, row.midway);
        if (row.afterwards != nullptr) {
            row.afterwards();
        }
        afterCycle = nullptr;
        Snapshot after = Take();
        ASSERT_NE(before, after) << row.name;
        EXPECT_EQ(UndoStepCount(), row.steps) << row.name;
        Snapshot expected = before;
        if (!row.framesComeBack) {
            expected.frames = after.frames;
        }
        for (std::size_t step = 0; step < row.steps; ++step) {
            CtrlZ();
            EXPECT_TRUE(seen.contains(KeyOf(Take()))) << row.name << ": undo " << step;
        }
        EXPECT_TRUE(Take() == expected) << row.name << ": undo";
        for (std::size_t step = 0; step < row.steps; ++step) {
            CtrlY();
            EXPECT_TRUE(seen.contains(KeyOf(Take()))) << row.name << ": redo " << step;
        }
        EXPECT_TRUE(Take() == after) << row.name << ": redo";
    }
}

TEST_F(Undo, GesturesEndAsAStepBeforeCtrlZOrXAndStillOnesRecordNothing) {
    BuildAnimation();
    Gesture(ScanLeftCtrl, 0, 400, 400, 400, 400);
    EXPECT_EQ(UndoStepCount(), 0u) << "Ctrl with a still pointer";
    Gesture(ScanLeftShift, 0, 400, 400, 400, 400);
    EXPECT_EQ(UndoStepCount(), 1u) << "Shift remeasured the bone a fraction off";
    Gesture(ScanLeftShift, 0, 400, 400, 400, 400);
    EXPECT_EQ(UndoStepCount(), 1u) << "a second Shift hold changed nothing";
    UndoClear();
    Snapshot start = Take();
    Gesture(0, kLeftButton, 350, 300, 370, 330, true);
    CtrlZ(); // with the button still down
    MoveCursor(390, 340);
    Cycle();
    EXPECT_TRUE(Take() == start) << "the drag is over until a new press";
    SetButtons(0);
    Cycle();
    Gesture(0, kLeftButton, 330, 360, 320, 380, true);
    Snapshot beforeX = Take();
    Tap(ScanX);
    SetButtons(0);
    Cycle();
    while (UndoStepCount() > 1) { // the second drag stays
        CtrlZ();
    }
    EXPECT_TRUE(Take() == beforeX) << "X's step came after the drag's";
    Hold(ScanLeftCtrl); // a Ctrl move, then Z with Ctrl still down
    Cycle();
    MoveCursor(430, 410);
    Cycle();
    ASSERT_NE(Take(), beforeX) << "the figure moved";
    Hold(ScanCodeOfLetter('Z'));
    Cycle();
    EXPECT_TRUE(Take() == beforeX) << "the first Ctrl+Z took back the move alone";
    Release(ScanCodeOfLetter('Z'));
    Release(ScanLeftCtrl);
    Cycle();

    Gesture(ScanW, 0, 320, 200, 700, 500, true); // Ctrl+Z with W still held
    Hold(ScanRightCtrl);
    Hold(ScanCodeOfLetter('Z'));
    Cycle();
    Release(ScanCodeOfLetter('Z'));
    Release(ScanRightCtrl);
    MoveCursor(500, 350);
    Cycle();
    EXPECT_EQ(std::vector<int32_t>({editor.animation.box.left, editor.animation.box.top,
                                    editor.animation.box.right}),
              std::vector<int32_t>({500, 350, 500}))
        << "the box starts over at the pointer";
}

TEST_F(Undo, AHeldChordWalksOneStepPerPress) {
    for (int32_t x : {500, 520, 540}) {
        PlaceJoint(x, 400);
    }
    Hold(ScanRightCtrl);
    for (auto [letter, cycles, steps] : {std::tuple{'Z', 3, 2u}, {'Z', 1, 1u}, {'Y', 3, 2u}}) {
        Hold(ScanCodeOfLetter(letter));
        Cycles(cycles);
        Release(ScanCodeOfLetter(letter));
        Cycle();
        EXPECT_EQ(UndoStepCount(), steps) << letter << " held for " << cycles << " cycles";
    }
}

// At frame 1 after two F6, and with the shadow switched on since: undo shows frame 3 again.
TEST_F(Undo, UndoShowsTheStepsFrameLeavesLaterTogglesAndANewStepDropsRedo) {
    BuildAnimation();
    PlaceJoint(500, 400);
    Tap(ScanF6);
    Tap(ScanF6);
    Tap(ScanF3);
    CtrlZ();
    EXPECT_EQ(std::vector<int32_t>({editor.session.currentFrame, editor.animation.playbackEnd,
                                    editor.animation.shadowOn}),
              std::vector<int32_t>({3, 3, 1}));
    PlaceJoint(520, 400);
    EXPECT_EQ(UndoRedoCount(), 0u);
}

TEST_F(Undo, HistoryKeepsTheNewestThousandStepsWithinItsMemoryBound) {
    for (int32_t value = 0; value <= 1000; ++value) {
        UndoBeginStep(0, 0);
        JointAt(0, 0).x = value;
        UndoEndStep();
    }
    EXPECT_EQ(UndoStepCount(), 1000u);
    for (int32_t time = 0; time <= 1000; ++time) {
        UndoTakeBack();
    }
    EXPECT_EQ(JointAt(0, 0).x, 0) << "the oldest step is gone";

    UndoClear(); // repeated X on the largest animation
    constexpr int32_t kTimes = 16;
    for (int32_t time = 0; time < kTimes; ++time) {
        BuildLargest();
        JointAt(0, 0).state = static_cast<int8_t>(3 + time); // tells the resets apart
        Tap(ScanX);
        EXPECT_LE(UndoHistoryBytes(), kUndoByteLimit);
    }
    EXPECT_GE(UndoStepCount(), 8u);
    EXPECT_LT(UndoStepCount(), static_cast<std::size_t>(kTimes));
    UndoTakeBack();
    EXPECT_EQ(JointAt(0, 0).state, 3 + kTimes - 1) << "the newest X came back";
}

TEST_F(Undo, UndoMakesTheAnimationDifferFromTheSavedOneForThePeriodicBackup) {
    PlaceJoint(500, 400);
    Tap(ScanF9); // saved, then taken back
    CtrlZ();
    DelayMs(61000);
    Cycle();
    FinishBackup();
    EXPECT_TRUE(std::filesystem::exists(StemOf(path) + "_autosave.txt"));
}

// A chain from a pinned joint in the box out past its right edge, its bones added from the far end
// and longer than the joints lie apart, and a loose joint at the edge of the coordinate range: the
// solver takes cycles to settle a frame, with collision on or off.
void BuildSettlingFrames() {
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        editor.session.currentFrame = frame;
        for (int32_t slot = 0; slot < 16; ++slot) {
            AddJoint(420 + 14 * slot, 260 + 6 * slot + frame % 9, slot == 0 ? 2 : JointNormal);
        }
        AddJoint(frame % 2 == 0 ? 32767 : -32767, -32767, JointNormal);
        for (int32_t slot = 15; slot > 0; --slot) {
            BoneAt(frame, AddBone(slot - 1, slot, BoneStandard)).restLength *= 1.25;
        }
    }
    editor.session.currentFrame = 0;
}

// The grids, the box and the toggles hashed where they lie, as KeyOf (Take ()) without the copy.
std::size_t LiveKey() {
    auto hash = [](const void* data, std::size_t size) {
        return std::hash<std::string_view>{}({static_cast<const char*>(data), size});
    };
    std::size_t slots = std::size_t{501} * kSlotCount;
    int32_t settings[] = {editor.animation.box.left,  editor.animation.box.top,
                          editor.animation.box.right, editor.animation.box.bottom,
                          editor.animation.shadowOn,  editor.animation.collisionOn,
                          editor.animation.headOn};
    return hash(editor.animation.joints.data(), slots * sizeof(Joint)) ^
           hash(editor.animation.bones.data(), slots * sizeof(Bone)) * 3 ^
           hash(settings, sizeof(settings)) * 5;
}

// Edits as a user makes them, each followed by a pause in which the solver comes to rest; then the
// walks back and forth with a Ctrl key held throughout, now and then looking at another frame
// between the chords while the solver pulls that one into shape.
class UndoWalk : public Undo {
  protected:
    static void NoteLiveState() { seen.insert(LiveKey()); }
    static bool Rest() { // false when the solver never rests
        for (int32_t cycle = 0; cycle < 100; ++cycle) {
            std::size_t before = LiveKey();
            Cycle();
            if (LiveKey() == before) {
                return true;
            }
        }
        return false;
    }
    static int32_t Pick(std::mt19937& random, uint32_t count) {
        return static_cast<int32_t>(static_cast<uint32_t>(random()) % count);
    }
    static void OnCells(int32_t key, int32_t from, int32_t to) {
        Gesture(key, kLeftButton, 36 + 66 * from, kStripTop + 28, 36 + 66 * to, kStripTop + 28);
    }
    // At a joint of the chain: pressed there (and for a bone released at another one).
    static void AtJoint(int32_t key, int32_t buttons, std::mt19937& random) {
        Joint from = CurrentJoint(Pick(random, 16));
        Joint to = buttons == kRightButton ? CurrentJoint(Pick(random, 16)) : from;
        Gesture(key, buttons, from.x, from.y, to.x + Pick(random, 41) - 20, to.y);
    }
};

TEST_F(UndoWalk, UndoOfEverythingGivesTheStartAndRedoTheEndThroughStatesSeenGoingForward) {
    using Edit = void (*)(std::mt19937&);
    const Edit edits[] = {
        [](std::mt19937& random) { // a cell click
            int32_t cell = Pick(random, 12);
            OnCells(0, cell, cell);
        },
        [](std::mt19937& random) { AtJoint(0, kLeftButton, random); },
        [](std::mt19937& random) { AtJoint(ScanKey1, 0, random); },
        [](std::mt19937& random) { AtJoint(0, kRightButton, random); },
        [](std::mt19937& random) { AtJoint(ScanTab, 0, random); },
        [](std::mt19937& random) { AtJoint(ScanDelete, 0, random); },
        [](std::mt19937&) { Tap(ScanInsert); },
        [](std::mt19937&) { Tap(ScanI); },
        [](std::mt19937& random) { // Shift+click, then R
            int32_t cell = Pick(random, 12);
            OnCells(ScanLeftShift, cell, cell);
            Rest();
            Tap(ScanR);
        },
        [](std::mt19937& random) { // a strip drag
            OnCells(0, editor.session.currentFrame - EditorStripView().firstFrame,
                    Pick(random, 12));
        },
        [](std::mt19937&) { Tap(ScanF11); },
        [](std::mt19937&) { Tap(ScanEnd); },
        [](std::mt19937&) { Tap(ScanBackspace); },
        [](std::mt19937&) { Tap(ScanHome); },
        [](std::mt19937&) { Tap(ScanF7); },
        [](std::mt19937& random) {
            Gesture(ScanLeftCtrl, 0, 400, 300, 400, 290 + Pick(random, 21));
        },
    };
    // The edits of the report of redo lost with collision on (seed 0), or as many random ones.
    const std::vector<int32_t> reported = {0, 1, 2, 3, 4, 5, 2, 6, 0, 7, 8, 9, 10, 11, 12};
    for (auto [seed, collisionOn] : {std::pair{0u, 1}, {0u, 0}, {2u, 1}, {3u, 0}, {4u, 1}}) {
        std::mt19937 random(seed);
        std::string name =
            "seed " + std::to_string(seed) + ", collision " + std::to_string(collisionOn);
        Fresh();
        BuildSettlingFrames();
        editor.animation.collisionOn = collisionOn;
        ASSERT_TRUE(Rest()) << name;
        seen = {LiveKey()};
        std::size_t start = LiveKey(); // where the first step began
        afterCycle = NoteLiveState;
        for (int32_t edit : reported) {
            start = UndoStepCount() == 0 ? LiveKey() : start;
            edits[seed == 0 ? edit : Pick(random, std::size(edits))](random);
            ASSERT_TRUE(Rest()) << name;
        }
        afterCycle = nullptr;
        std::size_t end = LiveKey();
        std::size_t steps = UndoStepCount();
        Hold(ScanLeftCtrl);
        for (char letter : {'Z', 'Y'}) {
            for (std::size_t step = 0; step < steps; ++step) {
                Tap(ScanCodeOfLetter(letter));
                EXPECT_TRUE(seen.contains(LiveKey())) << name << ": " << letter << step;
                if (random() % 2 == 0 && step + 1 < steps) { // keys that make no step
                    Tap(std::array{ScanF6, ScanHome, ScanEnd}[random() % 3]);
                    ASSERT_TRUE(Rest()) << name;
                }
            }
            EXPECT_EQ(UndoRedoCount(), letter == 'Z' ? steps : 0u) << name;
            EXPECT_EQ(LiveKey(), letter == 'Z' ? start : end) << name << ": all " << letter;
        }
        Release(ScanLeftCtrl);
        Cycle();
    }
}

} // namespace
