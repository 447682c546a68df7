// The shipped figures, joint by joint. The person and the child share one build, scaled: a circle
// from the neck to the top of the head (a head of the figure's own), a body, two legs and two
// arms of two bones each. The dog stands on four legs of two bones with a tail and a filled head;
// the ball is one filled circle and the stick one thick line.
#include "sample_figures.h"

#include <cmath>

#include "../tests/unit/support/editor_frames.h"
#include "model/editor_state.h"

namespace {

struct Point {
    double x;
    double y;
};

int32_t NewJoint(Point point) {
    return SampleJoint(point.x, point.y);
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
    SampleBone(neck, headTop, head);
    const int32_t limbs[][2] = {
        {neck, hip},           {hip, leftKnee},        {leftKnee, leftFoot},
        {hip, rightKnee},      {rightKnee, rightFoot}, {neck, leftElbow},
        {leftElbow, leftHand}, {neck, rightElbow},     {rightElbow, rightHand}};
    for (const auto& limb : limbs) {
        SampleBone(limb[0], limb[1], style);
    }
}

void BuildGrownUp() {
    BuildPerson(1.0, kSampleWhite);
}

void BuildChild() {
    BuildPerson(0.6, kSampleYellow);
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
        SampleBone(bone[0], bone[1], kSampleBrown);
    }
    BoneStyle head = kSampleBrown;
    head.shape = ShapeDisc;
    SampleBone(neckTop, headFront, head);
}

// Each joint in a statement of its own: the order of a call's arguments is the compiler's.
void BuildBall() {
    int32_t top = NewJoint({400, 350});
    int32_t bottom = NewJoint({400, 390});
    SampleBone(top, bottom, kSampleRedDisc);
}

void BuildStick() {
    int32_t left = NewJoint({340, 380});
    int32_t right = NewJoint({460, 380});
    SampleBone(left, right, kSampleWoodLine);
}

} // namespace

int32_t SampleJoint(double x, double y) {
    return AddJoint(static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(y)),
                    JointNormal);
}

void SampleBone(int32_t from, int32_t to, BoneStyle style) {
    int32_t slot = AddBone(from, to, BoneStandard);
    BoneAt(editor.session.currentFrame, slot).style = style;
}

const SampleFigure kSampleFigures[kSampleFigureCount] = {
    {"person.txt", BuildGrownUp}, {"child.txt", BuildChild}, {"dog.txt", BuildDog},
    {"ball.txt", BuildBall},      {"stick.txt", BuildStick},
};
