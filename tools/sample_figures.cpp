// The shipped figures, joint by joint. The person and the child share one build, scaled: a circle
// from the neck to the top of the head (a head of the figure's own), a body, two legs and two
// arms of two bones each. The dog stands on four legs of two bones with a tail and a filled head;
// the ball is one filled circle and the stick one thick line.
#include "sample_figures.h"

#include <cmath>

#include "../tests/unit/support/editor_frames.h"
#include "model/editor_state.h"

namespace {

constexpr BoneStyle kWhite{255, 255, 255, 1, 4, ShapeLine}; // 5 pixels
constexpr BoneStyle kYellow{255, 255, 0, 1, 3, ShapeLine};  // 4 pixels
constexpr BoneStyle kBrown{128, 64, 0, 1, 3, ShapeLine};    // 4 pixels
constexpr BoneStyle kRedDisc{255, 0, 0, 1, 0, ShapeDisc};   //
constexpr BoneStyle kWoodLine{128, 64, 0, 1, 5, ShapeLine}; // 6 pixels

struct Point {
    double x;
    double y;
};

int32_t NewJoint(Point point) {
    return AddJoint(static_cast<int32_t>(std::lround(point.x)),
                    static_cast<int32_t>(std::lround(point.y)), JointNormal);
}

void StyledBone(int32_t from, int32_t to, BoneStyle style) {
    int32_t slot = AddBone(from, to, BoneStandard);
    BoneAt(editor.session.currentFrame, slot).style = style;
}

// A person `scale` times the size of the grown-up, feet on y 390, head and limbs in `style` (the
// head a circle of the same colour and thickness).
void BuildPerson(double scale, BoneStyle style) {
    auto at = [scale](double x, double y) { return Point{400 + x * scale, 390 - y * scale}; };
    int32_t headTop = NewJoint(at(0, 180));
    int32_t neck = NewJoint(at(0, 140));
    int32_t hip = NewJoint(at(0, 80));
    int32_t leftKnee = NewJoint(at(-12, 40));
    int32_t leftFoot = NewJoint(at(-18, 0));
    int32_t rightKnee = NewJoint(at(12, 40));
    int32_t rightFoot = NewJoint(at(18, 0));
    int32_t leftElbow = NewJoint(at(-22, 110));
    int32_t leftHand = NewJoint(at(-34, 80));
    int32_t rightElbow = NewJoint(at(22, 110));
    int32_t rightHand = NewJoint(at(34, 80));
    BoneStyle head = style;
    head.shape = ShapeCircle;
    StyledBone(neck, headTop, head);
    const int32_t limbs[][2] = {
        {neck, hip},           {hip, leftKnee},        {leftKnee, leftFoot},
        {hip, rightKnee},      {rightKnee, rightFoot}, {neck, leftElbow},
        {leftElbow, leftHand}, {neck, rightElbow},     {rightElbow, rightHand}};
    for (const auto& limb : limbs) {
        StyledBone(limb[0], limb[1], style);
    }
}

void BuildGrownUp() {
    BuildPerson(1.0, kWhite);
}

void BuildChild() {
    BuildPerson(0.6, kYellow);
}

// Side on, facing right: the back from tail root to withers, legs under both ends.
void BuildDog() {
    int32_t tailTip = NewJoint({325, 290});
    int32_t rump = NewJoint({345, 320});
    int32_t withers = NewJoint({425, 318});
    int32_t neckTop = NewJoint({445, 290});
    int32_t headFront = NewJoint({470, 295});
    int32_t hindKnee = NewJoint({340, 355});
    int32_t hindPaw = NewJoint({345, 390});
    int32_t hindKnee2 = NewJoint({355, 355});
    int32_t hindPaw2 = NewJoint({360, 390});
    int32_t foreKnee = NewJoint({420, 355});
    int32_t forePaw = NewJoint({420, 390});
    int32_t foreKnee2 = NewJoint({432, 355});
    int32_t forePaw2 = NewJoint({434, 390});
    const int32_t bones[][2] = {{tailTip, rump},       {rump, withers},      {withers, neckTop},
                                {rump, hindKnee},      {hindKnee, hindPaw},  {rump, hindKnee2},
                                {hindKnee2, hindPaw2}, {withers, foreKnee},  {foreKnee, forePaw},
                                {withers, foreKnee2},  {foreKnee2, forePaw2}};
    for (const auto& bone : bones) {
        StyledBone(bone[0], bone[1], kBrown);
    }
    BoneStyle head = kBrown;
    head.shape = ShapeDisc;
    StyledBone(neckTop, headFront, head);
}

// Each joint in a statement of its own: the order of a call's arguments is the compiler's.
void BuildBall() {
    int32_t top = NewJoint({400, 350});
    int32_t bottom = NewJoint({400, 390});
    StyledBone(top, bottom, kRedDisc);
}

void BuildStick() {
    int32_t left = NewJoint({340, 380});
    int32_t right = NewJoint({460, 380});
    StyledBone(left, right, kWoodLine);
}

} // namespace

const SampleFigure kSampleFigures[kSampleFigureCount] = {
    {"person.txt", BuildGrownUp}, {"child.txt", BuildChild}, {"dog.txt", BuildDog},
    {"ball.txt", BuildBall},      {"stick.txt", BuildStick},
};
