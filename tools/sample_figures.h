// The figures the program ships, built by the program's own operations: a person with a round
// head and 5-pixel limbs, a child, a dog, a ball and a stick. Each is one figure in frame 0,
// standing about the middle of the default box.
#pragma once

#include <cstdint>

struct SampleFigure {
    const char* fileName; // in the shipped figures' folder
    void (*build)();      // into the current frame of the editor's grids, which must be empty
};

// The five, in the order of the list above.
constexpr int32_t kSampleFigureCount = 5;
extern const SampleFigure kSampleFigures[kSampleFigureCount];
