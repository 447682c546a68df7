// Bone styles: the keys' steps through colours, thicknesses, shapes and grounds, the bone whose
// drawn shape lies nearest the pointer, and a style given to one bone slot over a run of frames.
#include "model/bone_style.h"
#include "support/editor_frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

BoneStyle Own(int32_t colour, int32_t pixels = 1, int32_t shape = ShapeLine) {
    return BoneStyle{static_cast<uint8_t>(colour >> 16),  static_cast<uint8_t>(colour >> 8 & 0xFF),
                     static_cast<uint8_t>(colour & 0xFF), 1,
                     static_cast<uint8_t>(pixels - 1),    static_cast<uint8_t>(shape)};
}

TEST(BoneStyle, KeysStepThroughThePalettesThicknessesAndShapes) {
    struct Row {
        const char* name;
        BoneStyle start;
        BoneStyle (*step)(BoneStyle, int32_t);
        int32_t steps;
        BoneStyle expected;
    } rows[] = {
        {"F from the kind's colour", BoneStyle{}, StepPenColour, 1, Own(0xFFFFFF)},
        {"Shift+F from the kind's colour goes round to grey", BoneStyle{}, StepPenColour, -1,
         Own(0x808080)},
        {"F from grey goes round to the kind's colour", Own(0x808080, 6), StepPenColour, 1,
         BoneStyle{0, 0, 0, 0, 5, 0}},
        {"F from a blended colour starts the palette", Own(0x123456), StepPenColour, 1,
         BoneStyle{}},
        {"Shift+F from a blended colour ends the palette", Own(0x123456), StepPenColour, -1,
         Own(0x808080)},
        {"+ from 6 pixels", Own(0xFF0000, 6), StepThickness, 1, Own(0xFF0000, 8)},
        {"- from 8 pixels", Own(0xFF0000, 8), StepThickness, -1, Own(0xFF0000, 6)},
        {"+ stops at 32", Own(0xFF0000, 32), StepThickness, 1, Own(0xFF0000, 32)},
        {"- stops at 1", BoneStyle{}, StepThickness, -1, BoneStyle{}},
        {"+ from an in-between's 7 pixels", Own(0, 7), StepThickness, 1, Own(0, 8)},
        {"- from an in-between's 7 pixels", Own(0, 7), StepThickness, -1, Own(0, 6)},
        {"K from a line", Own(0xFF, 3), StepShape, 1, Own(0xFF, 3, ShapeCircle)},
        {"K from a disc goes round", Own(0xFF, 3, ShapeDisc), StepShape, 1, Own(0xFF, 3)},
    };
    for (const Row& row : rows) {
        BoneStyle stepped = row.step(row.start, row.steps);
        EXPECT_TRUE(SameStyle(stepped, row.expected)) << row.name;
    }
    // F goes round the pen's palette: the kind's colour (-1) and twelve colours of its own.
    std::vector<int32_t> pens;
    for (BoneStyle pen{}; pens.size() < 14;) {
        pen = StepPenColour(pen, 1);
        pens.push_back(pen.ownColour == 0 ? -1 : pen.red << 16 | pen.green << 8 | pen.blue);
    }
    EXPECT_EQ(pens, (std::vector<int32_t>{0xFFFFFF, 0x000000, 0xFF0000, 0xFF8000, 0xFFFF00,
                                          0x00C000, 0x00FFFF, 0x0060FF, 0x8000FF, 0xFF60C0,
                                          0x804000, 0x808080, -1, 0xFFFFFF}));
    std::vector<int32_t> grounds;
    for (int32_t ground = kDefaultGroundColour, count = 0; count < 7; ++count) {
        grounds.push_back(ground = StepGroundColour(ground, 1));
    }
    EXPECT_EQ(grounds, (std::vector<int32_t>{0xFFFFFF, 0x000000, 0xA0D8FF, 0x60A040, 0xF0E8D0,
                                             0x141414, 0xFFFFFF}));
    EXPECT_EQ(StepGroundColour(kDefaultGroundColour, -1), 0xF0E8D0);
    std::vector<std::string> names;
    for (int32_t shape : {0, 1, 2, 7}) {
        names.emplace_back(ShapeName(shape));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Linie", "Kreis", "Scheibe", "Linie"}));
    EXPECT_EQ(StyleColour(BoneStyle{}, BoneFreeLength), 0x0000FF);
    EXPECT_EQ(StyleColour(Own(0xFF8000), BoneFreeLength), 0xFF8000);
}

// Bone 0 runs from (100, 100) to (200, 100); bone 1 is a second bone from (100, 200) to
// (200, 200), whose circle has its centre at (150, 200) and a radius of 50.
TEST(BoneStyle, PointerPicksTheBoneWhoseDrawnShapeIsNearestWithinEightPixels) {
    struct Row {
        const char* name;
        BoneStyle first, second;
        int8_t firstKind = BoneStandard;
        double x, y;
        int32_t expected;
    } rows[] = {
        {"on a plain line", {}, {}, BoneStandard, 150, 100, 0},
        {"8 pixels from a plain line", {}, {}, BoneStandard, 150, 108.5, 0},
        {"9 pixels from a plain line", {}, {}, BoneStandard, 150, 109.6, -1},
        {"beside a round end", {}, {}, BoneStandard, 92, 100, 0},
        {"20 pixels from a line 32 thick", Own(0, 32), {}, BoneStandard, 150, 120, 0},
        {"inside a circle, far from its outline",
         {},
         Own(0, 1, ShapeCircle),
         BoneStandard,
         150,
         200,
         -1},
        {"on the top of a circle's outline", {}, Own(0, 1, ShapeCircle), BoneStandard, 150, 152, 1},
        {"inside a disc", {}, Own(0, 1, ShapeDisc), BoneStandard, 150, 180, 1},
        {"a thick circle's outline nearer than the line",
         {},
         Own(0, 24, ShapeCircle),
         BoneStandard,
         150,
         140,
         1},
        {"a stabilising bone keeps its plain line", Own(0, 32), {}, BoneStabilising, 150, 120, -1},
        {"equal distances take the lower slot", Own(0, 1, ShapeDisc), Own(0, 1, ShapeDisc),
         BoneStandard, 150, 150, 0},
    };
    for (const Row& row : rows) {
        EditorStateInit();
        for (int32_t y : {100, 200}) {
            AddJoint(100, y, JointNormal);
            AddJoint(200, y, JointNormal);
        }
        AddBone(0, 1, row.firstKind);
        AddBone(2, 3, BoneStandard);
        BoneAt(0, 0).style = row.first;
        BoneAt(0, 1).style = row.second;
        EXPECT_EQ(NearestDrawnBone(editor.animation, 0, row.x, row.y, kStyleReach), row.expected)
            << row.name;
    }
}

TEST(BoneStyle, NewBonesTakeThePenAndAStyleGoesToFramesWhereTheSlotJoinsTheSameJoints) {
    EditorStateInit();
    editor.session.pen = Own(0xFF0000, 12, ShapeDisc);
    AddJoint(100, 100, JointNormal);
    AddJoint(200, 100, JointNormal);
    AddJoint(300, 100, JointNormal);
    ASSERT_EQ(AddBone(0, 1, BoneStandard), 0);
    EXPECT_TRUE(SameStyle(BoneAt(0, 0).style, editor.session.pen));
    for (editor.session.currentFrame = 1; editor.session.currentFrame < 6;
         ++editor.session.currentFrame) {
        CopyPreviousFrame();
    }
    BoneAt(2, 0).jointB = 2;                             // the slot joins other joints
    std::swap(BoneAt(3, 0).jointA, BoneAt(3, 0).jointB); // the same joints, turned round
    BoneAt(4, 0).jointA = BoneAt(4, 0).jointB = -1;      // the slot is free
    int32_t styled = StyleBoneInFrames(editor.animation, 0, BoneAt(1, 0), Own(0x00C000, 3), 1, 500);
    EXPECT_EQ(styled, 3);
    std::vector<int32_t> colours;
    for (int32_t frame = 0; frame < 7; ++frame) {
        colours.push_back(StyleColour(BoneAt(frame, 0).style, BoneStandard));
    }
    EXPECT_EQ(colours, (std::vector<int32_t>{0xFF0000, 0x00C000, 0xFF0000, 0x00C000, 0xFF0000,
                                             0x00C000, 0xBBFF00}));
}

} // namespace
