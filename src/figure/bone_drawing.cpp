// Styled bones. Joint (x, y) stands for the pixel whose centre is (x + 0.5, y + 0.5), so a thick
// line and a circle are centred on the same pixels the one-pixel line passes through.
#include "figure/bone_drawing.h"

#include <algorithm>
#include <cmath>

#include "runtime/drawing.h"

namespace {

int32_t ScaledCoordinate(int64_t value, const PictureScale& scale) {
    if (scale.numerator == scale.denominator) {
        return ClampToInt32(value);
    }
    return ClampToInt32(value * scale.numerator / scale.denominator);
}

double Factor(const PictureScale& scale) {
    return scale.denominator != 0
               ? static_cast<double>(scale.numerator) / static_cast<double>(scale.denominator)
               : 1.0;
}

// The centre of a joint's pixel in picture pixels.
double Centre(int32_t coordinate, double factor) {
    return (static_cast<double>(coordinate) + 0.5) * factor;
}

} // namespace

int32_t StyleWidth(const BoneStyle& style) {
    return int32_t{style.thickness} + 1;
}

void DrawStyledBone(const Joint& a, const Joint& b, const BoneStyle& style, int32_t colour,
                    const PictureScale& scale) {
    const double factor = Factor(scale);
    const double width = std::max(1.0, StyleWidth(style) * factor);
    const double ax = Centre(a.x, factor);
    const double ay = Centre(a.y, factor);
    const double bx = Centre(b.x, factor);
    const double by = Centre(b.y, factor);
    switch (style.shape) {
    case ShapeCircle:
        DrawSmoothRing((ax + bx) / 2, (ay + by) / 2, std::hypot(bx - ax, by - ay) / 2, width,
                       colour);
        return;
    case ShapeDisc:
        // The circle filled, and its outline of the width round it.
        DrawSmoothDisc((ax + bx) / 2, (ay + by) / 2, (std::hypot(bx - ax, by - ay) + width) / 2,
                       colour);
        return;
    default:
        break;
    }
    if (width <= 1.0) {
        DrawLineAbs(ScaledCoordinate(a.x, scale), ScaledCoordinate(a.y, scale),
                    ScaledCoordinate(b.x, scale), ScaledCoordinate(b.y, scale), colour);
        return;
    }
    DrawSmoothLine(ax, ay, bx, by, width, colour);
}
