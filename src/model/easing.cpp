// The easings as one table of rows: each row's name and its formula for the share s at time t.
#include "model/easing.h"

#include <cmath>
#include <numbers>

namespace {

double Linear(double t) {
    return t;
}
double EaseIn(double t) {
    return t * t * t;
}
double EaseOut(double t) {
    double rest = 1.0 - t;
    return 1.0 - rest * rest * rest;
}
double EaseInOut(double t) {
    if (t < 0.5) {
        return 4.0 * t * t * t;
    }
    double rest = 2.0 - 2.0 * t;
    return 1.0 - rest * rest * rest / 2.0;
}
double Smooth(double t) {
    return (1.0 - std::cos(std::numbers::pi * t)) / 2.0;
}
// Comes in 10% past the second pose and settles back onto it.
double Overshoot(double t) {
    constexpr double kBack = 1.70158;
    double late = t - 1.0;
    return 1.0 + (kBack + 1.0) * late * late * late + kBack * late * late;
}
// A spring's swing about the second pose, dying away by a factor 2 every tenth of the time.
double Elastic(double t) {
    if (t == 0.0 || t == 1.0) {
        return t;
    }
    constexpr double kPeriodTurn = 2.0 * std::numbers::pi / 3.0;
    return std::exp2(-10.0 * t) * std::sin((10.0 * t - 0.75) * kPeriodTurn) + 1.0;
}
// A ball dropped onto the second pose: parabolas of falling heights 1, 1/4, 1/16 and 1/64.
double Bounce(double t) {
    constexpr double kSteepness = 7.5625;
    constexpr double kSpan = 2.75;
    if (t < 1.0 / kSpan) {
        return kSteepness * t * t;
    }
    if (t < 2.0 / kSpan) {
        t -= 1.5 / kSpan;
        return kSteepness * t * t + 0.75;
    }
    if (t < 2.5 / kSpan) {
        t -= 2.25 / kSpan;
        return kSteepness * t * t + 0.9375;
    }
    t -= 2.625 / kSpan;
    return kSteepness * t * t + 0.984375;
}
// The first pose until the end, then the second at once.
double Hold(double t) {
    return t < 1.0 ? 0.0 : 1.0;
}

struct EasingRow {
    const char* name;
    double (*share)(double t);
};

constexpr EasingRow kEasings[kEasingCount] = {
    {"Linear", Linear},
    {"Ein", EaseIn},
    {"Aus", EaseOut},
    {"Ein-Aus", EaseInOut},
    {"Sanft", Smooth},
    {"\xdc"
     "berschwingen",
     Overshoot},
    {"Federnd", Elastic},
    {"Aufprall", Bounce},
    {"Halten", Hold},
};

const EasingRow& RowOf(int32_t easing) {
    return kEasings[easing >= 0 && easing < kEasingCount ? easing : kEasingLinear];
}

} // namespace

const char* EasingName(int32_t easing) {
    return RowOf(easing).name;
}

double EasedShare(int32_t easing, double t) {
    return RowOf(easing).share(t);
}

int32_t StepEasing(int32_t easing, int32_t steps) {
    int32_t from = easing >= 0 && easing < kEasingCount ? easing : kEasingLinear;
    int32_t to = (from + steps) % kEasingCount;
    return to < 0 ? to + kEasingCount : to;
}
