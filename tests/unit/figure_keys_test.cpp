// The figure keys and buttons in a scripted session: each acts on the figure under the pointer
// (one pinned joint among its four) in every frame of the current run, leaves the other figure
// and the frames outside the run as they were to the byte, and is one undo step that comes back
// and goes again byte for byte.
#include "editor/figure_keys.h"

#include <cstring>
#include <functional>
#include <vector>

#include "editor/undo_history.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

constexpr int32_t kFrames = 5;

struct Point {
    int32_t x;
    int32_t y;
};
using Points = std::vector<Point>;
const Points kSquare{{100, 100}, {140, 100}, {140, 150}, {100, 150}}; // joints 0 to 3

void AddBytes(const void* data, std::size_t size, std::vector<unsigned char>* bytes) {
    auto* from = static_cast<const unsigned char*>(data);
    bytes->insert(bytes->end(), from, from + size);
}
std::vector<unsigned char> Rows() {
    std::vector<unsigned char> bytes;
    AddBytes(&JointAt(0, 0), sizeof(Joint) * kSlotCount * kFrames, &bytes);
    AddBytes(&BoneAt(0, 0), sizeof(Bone) * kSlotCount * kFrames, &bytes);
    return bytes;
}
// The triangle (joints 4 to 6) and its bones in slot order: V and H move them to other slots only.
std::vector<unsigned char> Triangle(int32_t frame) {
    std::vector<unsigned char> bytes;
    AddBytes(&JointAt(frame, 4), 3 * sizeof(Joint), &bytes);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = BoneAt(frame, slot);
        if (BoneInUse(bone) && bone.jointA >= 4 && bone.jointA <= 6) {
            AddBytes(&bone, sizeof(Bone), &bytes);
        }
    }
    return bytes;
}

class FigureKeys : public ScriptedSession {
  protected:
    // The square's bones in bone slots 0, 2 and 4, the triangle's in 1 and 3, in frames 0 to 4.
    static void BuildScene() {
        editor.session.currentFrame = 0;
        const int32_t joints[] = {100, 100, 140, 100, 140, 150, 100,
                                  150, 300, 300, 330, 280, 360, 300};
        for (int32_t at = 0; at < 14; at += 2) {
            AddJoint(joints[at], joints[at + 1], at == 4 ? JointStatic : JointNormal);
        }
        const int32_t ends[] = {0, 1, 4, 5, 1, 2, 5, 6, 2, 3};
        const int32_t kinds[] = {BoneStandard, BoneStandard, BoneStabilising, BoneFreeLength,
                                 BoneStandard};
        for (int32_t bone = 0; bone < 5; ++bone) {
            AddBone(ends[2 * bone], ends[2 * bone + 1], kinds[bone]);
        }
        for (int32_t frame = 1; frame < kFrames; ++frame) {
            std::memcpy(&JointAt(frame, 0), &JointAt(0, 0), sizeof(Joint) * kSlotCount);
            std::memcpy(&BoneAt(frame, 0), &BoneAt(0, 0), sizeof(Bone) * kSlotCount);
        }
    }
    static void Chord(char letter) {
        Hold(ScanRightCtrl);
        Tap(ScanCodeOfLetter(letter));
        Release(ScanRightCtrl);
    }
    // A key (or none) and buttons held from joint 1 at (140, 100) while the pointer goes through
    // `way`.
    static std::function<void()> Gesture(int32_t key, int32_t buttons, Points way) {
        return [=] {
            MoveCursor(140, 100);
            HeadlessSetKey(key, key >= 0);
            SetButtons(buttons);
            for (Point point : way) {
                Cycle();
                MoveCursor(point.x, point.y);
            }
            Cycle();
            HeadlessSetKey(key, false);
            SetButtons(0);
            Cycle();
        };
    }
    static std::function<void()> KeyOnSquare(int32_t scanCode) {
        return [=] {
            MoveCursor(141, 102);
            Tap(scanCode);
        };
    }
    // Joints `first` on at `at`, the third pinned; none: slots first to first + 3 hold none.
    static void ExpectJoints(int32_t frame, int32_t first, const Points& at) {
        for (int32_t index = 0; index < 4; ++index) {
            const Joint& joint = JointAt(frame, first + index);
            int32_t state = at.empty() ? JointEmpty : index == 2 ? JointStatic : JointNormal;
            EXPECT_TRUE(joint.state == state &&
                        (at.empty() || (joint.x == at[index].x && joint.y == at[index].y)))
                << "joint " << first + index << " in frame " << frame;
        }
    }
    // The first joints of the bones in bone slots 0 to 4.
    static std::vector<int32_t> BoneOrder(int32_t frame) {
        std::vector<int32_t> order;
        for (int32_t slot = 0; slot < 5; ++slot) {
            order.push_back(BoneAt(frame, slot).jointA);
        }
        return order;
    }
    static void Start(int32_t first, int32_t last) {
        ResetAll();
        UndoClear();
        BuildScene();
        editor.session.currentFrame = 2;
        editor.session.selectionFirst = first == last ? -1 : first;
        editor.session.selectionLast = first == last ? -1 : last;
        Cycle();
    }
};

TEST_F(FigureKeys, EachActsOnTheFigureInTheRunAndIsOneStepBackAndAgainByteForByte) {
    const std::vector<int32_t> kOrder{0, 4, 1, 5, 2}; // bone slots 0 to 4 by their first joints
    struct Case {
        const char* name;
        int32_t first; // the run: a selection from first to last, or the current frame 2 alone
        int32_t last;
        std::function<void()> act;
        Points square; // none: deleted
        std::vector<int32_t> order;
        double firstRestLength = 40;
        Points copy = {}; // in joint slots 7 to 10
    };
    // clang-format off
    const Case cases[] = {
        {"middle button", 2, 2, Gesture(-1, kMiddleButton, {{150, 120}, {170, 130}}),
         {{130, 130}, {170, 130}, {170, 180}, {130, 180}}, kOrder},
        {"left Alt with the left button", 1, 3, Gesture(ScanLeftAlt, kLeftButton, {{120, 90}, {130, 80}}),
         {{90, 80}, {130, 80}, {130, 130}, {90, 130}}, kOrder},
        // A quarter turn in steps, each placed from the pose D found: no rounding adds up.
        {"D", 2, 2, Gesture(ScanD, 0, {{147, 110}, {151, 124}, {149, 137}, {145, 145}}),
         {{145, 105}, {145, 145}, {95, 145}, {95, 105}}, kOrder},
        {"S", 1, 3, Gesture(ScanS, 0, {{171, 61}, {160, 75}}),
         {{80, 75}, {160, 75}, {160, 175}, {80, 175}}, kOrder, 80},
        {"M", 0, 4, KeyOnSquare(ScanM), {{140, 100}, {100, 100}, {100, 150}, {140, 150}}, kOrder},
        {"C", 2, 3, KeyOnSquare(ScanC), kSquare, kOrder, 40,
         {{120, 120}, {160, 120}, {160, 170}, {120, 170}}},
        {"L", 2, 2, KeyOnSquare(ScanL), {}, {-1, 4, -1, 5, -1}, 0},
        {"V", 2, 2, KeyOnSquare(ScanV), kSquare, {4, 5, 0, 1, 2}},
        {"H", 1, 2, KeyOnSquare(ScanH), kSquare, {0, 1, 2, 4, 5}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.first, c.last);
        std::vector<unsigned char> before = Rows();
        std::vector<unsigned char> triangle = Triangle(0);
        c.act();
        std::vector<unsigned char> after = Rows();
        for (int32_t frame = 0; frame < kFrames; ++frame) {
            EXPECT_EQ(Triangle(frame), triangle) << "frame " << frame;
            bool inRun = frame >= c.first && frame <= c.last;
            ExpectJoints(frame, 0, inRun ? c.square : kSquare);
            ExpectJoints(frame, 7, inRun ? c.copy : Points{});
            EXPECT_EQ(BoneOrder(frame), inRun ? c.order : kOrder) << "frame " << frame;
            if (BoneInUse(BoneAt(frame, 0)) && BoneAt(frame, 0).jointA == 0) {
                EXPECT_DOUBLE_EQ(BoneAt(frame, 0).restLength, inRun ? c.firstRestLength : 40);
            }
        }
        EXPECT_EQ(UndoStepCount(), 1u);
        Chord('Z');
        EXPECT_TRUE(Rows() == before) << "undo";
        Chord('Y');
        EXPECT_TRUE(Rows() == after) << "redo";
    }
}

TEST_F(FigureKeys, CopyIsRefusedWholeWhenAFrameOfTheRunHasTooFewSlots) {
    Start(1, 3);
    editor.session.currentFrame = 3;
    for (int32_t slot = 7; slot < kSlotCount - 3; ++slot) {
        AddJoint(600, 500, JointNormal); // frame 3 keeps three free joint slots
    }
    editor.session.currentFrame = 2;
    std::vector<unsigned char> before = Rows();
    KeyOnSquare(ScanC)();
    EXPECT_TRUE(Rows() == before);
    EXPECT_EQ(UndoStepCount(), 0u);
    editor.session.selectionFirst = editor.session.selectionLast = -1;
    KeyOnSquare(ScanC)();
    EXPECT_EQ(UsedJoints(2), 11) << "frame 2 alone has room";
}

} // namespace
