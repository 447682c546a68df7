// The figures the program ships, built by the program's own operations: a person with a round
// head and 5-pixel limbs, a child, a dog, a ball and a stick. Each is one figure in frame 0,
// standing about the middle of the default box.
#pragma once

#include <cstdint>

#include "model/animation.h"

// The figures' styles: white and yellow limbs of 5 and 4 pixels, brown ones of 4, a red disc and a
// wooden line of 6 pixels.
constexpr BoneStyle kSampleWhite{255, 255, 255, 1, 4, ShapeLine};
constexpr BoneStyle kSampleYellow{255, 255, 0, 1, 3, ShapeLine};
constexpr BoneStyle kSampleBrown{128, 64, 0, 1, 3, ShapeLine};
constexpr BoneStyle kSampleRedDisc{255, 0, 0, 1, 0, ShapeDisc};
constexpr BoneStyle kSampleWoodLine{128, 64, 0, 1, 5, ShapeLine};

// A joint at the point rounded to whole pixels, and a bone of the style between two joints, in
// the editor's current frame.
int32_t SampleJoint(double x, double y);
void SampleBone(int32_t from, int32_t to, BoneStyle style);

struct SampleFigure {
    const char* fileName; // in the shipped figures' folder
    void (*build)();      // into the current frame of the editor's grids, which must be empty
};

// The five, in the order of the list above.
constexpr int32_t kSampleFigureCount = 5;
extern const SampleFigure kSampleFigures[kSampleFigureCount];
