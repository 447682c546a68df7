// The figure keys and buttons in a scripted session: each acts on the figure under the pointer
// (one pinned joint among its four) in every frame of the current run, leaves the other figure
// and the frames outside the run as they were to the byte, and is one undo step that comes back
// and goes again byte for byte.
#include "editor/figure_keys.h"

#include <cstring>
#include <functional>
#include <vector>

#include "editor/undo_history.h"
#include "support/scripted_session.h"

namespace {

constexpr int32_t kFrames = 5;
constexpr int32_t kSquare[] = {0, 1, 2, 3}; // the figure acted on; joint 2 pinned
constexpr int32_t kTriangle[] = {4, 5, 6};

struct Point {
    int32_t x;
    int32_t y;
};

std::vector<unsigned char> Rows() {
    std::size_t joints = sizeof(Joint) * kSlotCount * kFrames;
    std::vector<unsigned char> bytes(joints + sizeof(Bone) * kSlotCount * kFrames);
    std::memcpy(bytes.data(), &JointAt(0, 0), joints);
    std::memcpy(bytes.data() + joints, &BoneAt(0, 0), sizeof(Bone) * kSlotCount * kFrames);
    return bytes;
}

// The triangle's joints and its bones in slot order, as bytes: what no operation on the square
// may change (V and H move its bones to other slots, in the same order).
std::vector<unsigned char> TriangleBytes(int32_t frame) {
    std::vector<unsigned char> bytes;
    auto add = [&](const void* data, std::size_t size) {
        auto* from = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), from, from + size);
    };
    for (int32_t slot : kTriangle) {
        add(&JointAt(frame, slot), sizeof(Joint));
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        int32_t end = BoneAt(frame, slot).jointA;
        if (BoneInUse(BoneAt(frame, slot)) && end >= kTriangle[0] && end <= kTriangle[2]) {
            add(&BoneAt(frame, slot), sizeof(Bone));
        }
    }
    return bytes;
}

class FigureKeys : public ScriptedSession {
  protected:
    // The square's bones in bone slots 0, 2 and 4, the triangle's in 1 and 3, in frames 0 to 4.
    static void BuildScene() {
        editor.currentFrame = 0;
        const Point joints[] = {{100, 100}, {140, 100}, {140, 150}, {100, 150},
                                {300, 300}, {330, 280}, {360, 300}};
        for (Point joint : joints) {
            AddJoint(joint.x, joint.y, JointNormal);
        }
        JointAt(0, 2).state = JointStatic;
        AddBone(0, 1, BoneStandard);
        AddBone(4, 5, BoneStandard);
        AddBone(1, 2, BoneStabilising);
        AddBone(5, 6, BoneFreeLength);
        AddBone(2, 3, BoneStandard);
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
    // A button held on (140, 100) while the pointer goes through `way`.
    static void ButtonGesture(int32_t buttons, std::vector<Point> way) {
        MoveCursor(140, 100);
        SetButtons(buttons);
        Cycle();
        for (Point point : way) {
            MoveCursor(point.x, point.y);
            Cycle();
        }
        SetButtons(0);
        Cycle();
    }
    // A key held from (140, 100) through `way`: D and S.
    static void KeyGesture(int32_t scanCode, std::vector<Point> way) {
        MoveCursor(140, 100);
        Hold(scanCode);
        Cycle();
        for (Point point : way) {
            MoveCursor(point.x, point.y);
            Cycle();
        }
        Release(scanCode);
        Cycle();
    }
    static void KeyOnSquare(int32_t scanCode) {
        MoveCursor(141, 102);
        Tap(scanCode);
    }
    static void ExpectSquare(int32_t frame, std::vector<Point> at) {
        for (std::size_t index = 0; index < at.size(); ++index) {
            const Joint& joint = JointAt(frame, static_cast<int32_t>(index));
            EXPECT_EQ(joint.x, at[index].x) << "joint " << index << " in frame " << frame;
            EXPECT_EQ(joint.y, at[index].y) << "joint " << index << " in frame " << frame;
        }
        EXPECT_EQ(JointAt(frame, 2).state, JointStatic) << "the pin moves with its figure";
    }
    // The square's bones in bone slot order, by their first joints.
    static std::vector<int32_t> BoneOrder(int32_t frame) {
        std::vector<int32_t> order;
        for (int32_t slot = 0; slot < 5; ++slot) {
            order.push_back(BoneAt(frame, slot).jointA);
        }
        return order;
    }
};

TEST_F(FigureKeys, EachActsOnTheFigureInTheRunAndIsOneStepBackAndAgainByteForByte) {
    struct Case {
        const char* name;
        int32_t first; // the run: a selection from first to last, or the current frame alone
        int32_t last;
        std::function<void()> act;
        std::function<void(int32_t frame)> check;
    };
    const Case cases[] = {
        {"middle button move", 2, 2,
         [] {
             ButtonGesture(kMiddleButton, {{150, 120}, {170, 130}});
         },
         [](int32_t frame) {
             ExpectSquare(frame, {{130, 130}, {170, 130}, {170, 180}, {130, 180}});
         }},
        {"left Alt with the left button, through a selection", 1, 3,
         [] {
             Hold(ScanLeftAlt);
             ButtonGesture(kLeftButton, {{120, 90}, {130, 80}});
             Release(ScanLeftAlt);
         },
         [](int32_t frame) {
             ExpectSquare(frame, {{90, 80}, {130, 80}, {130, 130}, {90, 130}});
         }},
        // A quarter turn in steps, each placed from the pose D found: no rounding adds up.
        {"D turns about the centre", 2, 2,
         [] {
             KeyGesture(ScanD, {{147, 110}, {151, 124}, {149, 137}, {145, 145}});
         },
         [](int32_t frame) {
             ExpectSquare(frame, {{145, 105}, {145, 145}, {95, 145}, {95, 105}});
         }},
        {"S scales with the rest lengths", 1, 3,
         [] {
             KeyGesture(ScanS, {{171, 61}, {160, 75}});
         },
         [](int32_t frame) {
             ExpectSquare(frame, {{80, 75}, {160, 75}, {160, 175}, {80, 175}});
             EXPECT_DOUBLE_EQ(BoneAt(frame, 0).restLength, 80);
             EXPECT_DOUBLE_EQ(BoneAt(frame, 2).restLength, 100);
         }},
        {"M mirrors", 0, 4, [] { KeyOnSquare(ScanM); },
         [](int32_t frame) {
             ExpectSquare(frame, {{140, 100}, {100, 100}, {100, 150}, {140, 150}});
         }},
        {"C copies into the lowest free slots", 2, 3, [] { KeyOnSquare(ScanC); },
         [](int32_t frame) {
             ExpectSquare(frame, {{100, 100}, {140, 100}, {140, 150}, {100, 150}});
             EXPECT_EQ(JointAt(frame, 7).x, 120);
             EXPECT_EQ(JointAt(frame, 9).y, 170);
             EXPECT_EQ(JointAt(frame, 9).state, JointStatic);
             EXPECT_EQ(BoneAt(frame, 6).jointA, 8);
             EXPECT_EQ(BoneAt(frame, 6).kind, BoneStabilising);
         }},
        {"L deletes joints and bones", 2, 2, [] { KeyOnSquare(ScanL); },
         [](int32_t frame) {
             for (int32_t slot : kSquare) {
                 EXPECT_EQ(JointAt(frame, slot).state, JointEmpty);
             }
             EXPECT_EQ(BoneOrder(frame), (std::vector<int32_t>{-1, 4, -1, 5, -1}));
         }},
        {"V brings it to the front", 2, 2, [] { KeyOnSquare(ScanV); },
         [](int32_t frame) {
             EXPECT_EQ(BoneOrder(frame), (std::vector<int32_t>{4, 5, 0, 1, 2}));
         }},
        {"H puts it behind", 1, 2, [] { KeyOnSquare(ScanH); },
         [](int32_t frame) {
             EXPECT_EQ(BoneOrder(frame), (std::vector<int32_t>{0, 1, 2, 4, 5}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetAll();
        UndoClear();
        BuildScene();
        editor.currentFrame = 2;
        editor.selectionFirst = c.first == c.last ? -1 : c.first;
        editor.selectionLast = c.first == c.last ? -1 : c.last;
        Cycle();
        std::vector<unsigned char> before = Rows();
        std::vector<unsigned char> triangle = TriangleBytes(0);
        c.act();
        std::vector<unsigned char> after = Rows();
        for (int32_t frame = 0; frame < kFrames; ++frame) {
            EXPECT_EQ(TriangleBytes(frame), triangle) << "frame " << frame;
            if (frame >= c.first && frame <= c.last) {
                c.check(frame);
            } else {
                ExpectSquare(frame, {{100, 100}, {140, 100}, {140, 150}, {100, 150}});
                EXPECT_EQ(BoneOrder(frame), (std::vector<int32_t>{0, 4, 1, 5, 2}));
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
    BuildScene();
    editor.currentFrame = 3;
    for (int32_t slot = 7; slot < kSlotCount - 3; ++slot) {
        AddJoint(600, 500, JointNormal); // frame 3 keeps three free joint slots
    }
    editor.currentFrame = 2;
    editor.selectionFirst = 1;
    editor.selectionLast = 3;
    Cycle();
    std::vector<unsigned char> before = Rows();
    KeyOnSquare(ScanC);
    EXPECT_TRUE(Rows() == before);
    EXPECT_EQ(UndoStepCount(), 0u);
    editor.selectionFirst = editor.selectionLast = -1;
    KeyOnSquare(ScanC);
    EXPECT_EQ(UsedJoints(2), 11) << "frame 2 alone has room";
}

} // namespace
