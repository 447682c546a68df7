// Easings: how the in-betweens of two key poses are spaced in time. Each maps the time t (0 at the
// first pose, 1 at the second) to the share s of the way from one pose to the other; the pen
// carries one, key N steps through them and key I spaces its in-betweens by it.
#pragma once

#include <cstdint>

constexpr int32_t kEasingLinear = 0; // s = t: the in-betweens evenly spaced
constexpr int32_t kEasingCount = 9;

// The easing's name, in German: "Linear", "Ein", "Aus", "Ein-Aus", "Sanft", "Überschwingen",
// "Federnd", "Aufprall", "Halten". An index beyond them counts as Linear.
const char* EasingName(int32_t easing);
// The share at time t. Overshoot and Elastic go past 1 on the way (the motion goes on beyond the
// second pose and comes back); every easing gives 0 at t = 0 and 1 at t = 1.
double EasedShare(int32_t easing, double t);
// The easing `steps` places on, going round at both ends.
int32_t StepEasing(int32_t easing, int32_t steps);
