// The style keys in a scripted session: the pen stepped by F, +, -, K, N and Shift+A without an
// undo step, the pen given by A to the bone under the pointer in the frames it says, the ground by
// B.
#include "editor/style_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "model/easing.h"
#include "runtime/headless.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

class StyleKeys : public ScriptedSession {
  protected:
    static void ShiftTap(int32_t scanCode) {
        Hold(ScanLeftShift);
        Tap(scanCode);
        Release(ScanLeftShift);
        Cycle();
    }
    // The colours (0xRRGGBB) and widths of bone 0 in frames 0 to 4.
    static std::vector<int32_t> BoneLooks() {
        std::vector<int32_t> looks;
        for (int32_t frame = 0; frame < 5; ++frame) {
            const BoneStyle& style = BoneAt(frame, 0).style;
            looks.push_back(StyleColour(style, BoneStandard));
            looks.push_back(ThicknessPixels(style));
        }
        return looks;
    }
};

constexpr int32_t kKeyA = 0x1E, kKeyB = 0x30, kKeyF = 0x21, kKeyK = 0x25, kKeyN = 0x31;
constexpr int32_t kPadPlus = 0x4E, kPadMinus = 0x4A, kEquals = 0x0D, kMinus = 0x0C;
constexpr int32_t kLime = 0xBBFF00, kRed = 0xFF0000;

TEST_F(StyleKeys, PenKeysStepThePenAndAGivesItToTheBoneUnderThePointer) {
    for (int32_t frame = 0; frame < 4; ++frame) { // frame 4 joins other joints
        editor.session.currentFrame = frame;
        AddJoint(300, 300, JointNormal);
        AddJoint(400, 300, JointNormal);
        AddJoint(400, 400, JointNormal);
        AddBone(frame == 3 ? 1 : 0, frame == 3 ? 2 : 1, BoneStandard);
    }
    editor.session.currentFrame = 4;
    CopyPreviousFrame();
    BoneAt(4, 0).jointA = 0;
    BoneAt(3, 0).jointA = 1, BoneAt(3, 0).jointB = 0; // frame 3: turned round, the same joints
    editor.session.currentFrame = 1;
    struct Row {
        const char* name;
        void (*press)();
        int32_t colour, pixels, shape; // the pen afterwards, -1 the kind's colour
        int32_t easing = kEasingLinear;
    } rows[] = {
        {"F", [] { Tap(kKeyF); }, 0xFFFFFF, 1, ShapeLine},
        {"Shift+F", [] { ShiftTap(kKeyF); }, -1, 1, ShapeLine},
        {"F three times", [] { Tap(kKeyF), Tap(kKeyF), Tap(kKeyF); }, kRed, 1, ShapeLine},
        {"+ on the number pad", [] { Tap(kPadPlus); }, kRed, 2, ShapeLine},
        {"+ labelled on a US keyboard's = key", [] { Tap(kEquals); }, kRed, 3, ShapeLine},
        {"- on the main keys", [] { Tap(kMinus); }, kRed, 2, ShapeLine},
        {"- on the number pad, twice, stops at 1", [] { Tap(kPadMinus), Tap(kPadMinus); }, kRed, 1,
         ShapeLine},
        {"+ where a German keyboard has it",
         [] {
             HeadlessSetLetterKey('+', 0x1B);
             for (int32_t press = 0; press < 6; ++press) {
                 Tap(0x1B);
             }
         },
         kRed, 8, ShapeLine},
        {"K", [] { Tap(kKeyK); }, kRed, 8, ShapeCircle},
        {"K again", [] { Tap(kKeyK); }, kRed, 8, ShapeDisc},
        {"K with no key labelled K, any other key",
         [] {
             HeadlessSetLetterKey('K', -1);
             Tap(kKeyK);
         },
         kRed, 8, ShapeDisc},
        {"N", [] { Tap(kKeyN); }, kRed, 8, ShapeDisc, 1},
        {"Shift+N twice goes round to the last", [] { ShiftTap(kKeyN), ShiftTap(kKeyN); }, kRed, 8,
         ShapeDisc, kEasingCount - 1},
        {"N on the key the layout labels N goes round to the first",
         [] { HeadlessSetLetterKey('N', 0x1A), Tap(kKeyN), Tap(0x1A); }, kRed, 8, ShapeDisc},
    };
    for (const Row& row : rows) {
        row.press();
        const BoneStyle& pen = editor.session.pen;
        EXPECT_EQ(std::vector<int32_t>({pen.ownColour ? StyleColour(pen, 0) : -1,
                                        ThicknessPixels(pen), pen.shape, editor.session.penEasing}),
                  std::vector<int32_t>({row.colour, row.pixels, row.shape, row.easing}))
            << row.name;
    }
    EXPECT_EQ(UndoStepCount(), 0u) << "the pen is no part of the animation";

    MoveCursor(350, 307); // 7 pixels from the plain line
    Tap(kKeyA);
    EXPECT_EQ(BoneLooks(), (std::vector<int32_t>{kLime, 1, kRed, 8, kRed, 8, kRed, 8, kLime, 1}));
    EXPECT_EQ(BoneAt(1, 0).style.shape, ShapeDisc);
    EXPECT_EQ(UndoStepCount(), 1u);

    Tap(kKeyF); // orange
    editor.session.selectionFirst = 0, editor.session.selectionLast = 1;
    MoveCursor(350, 340); // inside the disc the bone now is
    Tap(kKeyA);
    EXPECT_EQ(BoneLooks(),
              (std::vector<int32_t>{0xFF8000, 8, 0xFF8000, 8, kRed, 8, kRed, 8, kLime, 1}));
    MoveCursor(350, 363); // 13 pixels outside the disc's rim of 4
    Tap(kKeyA);
    EXPECT_EQ(UndoStepCount(), 2u) << "nothing under the pointer";

    editor.session.currentFrame = 0;
    MoveCursor(350, 300);
    Tap(kPadMinus);
    ShiftTap(kKeyA);
    EXPECT_TRUE(SameStyle(editor.session.pen, BoneAt(0, 0).style))
        << "Shift+A takes the bone's style";
    EXPECT_EQ(ThicknessPixels(editor.session.pen), 8);

    Tap(kKeyB);
    EXPECT_EQ(editor.animation.groundColour, 0xFFFFFF);
    ShiftTap(kKeyB);
    ShiftTap(kKeyB);
    EXPECT_EQ(editor.animation.groundColour, 0xF0E8D0);
    EXPECT_EQ(UndoStepCount(), 5u) << "each ground a step";
}

} // namespace
