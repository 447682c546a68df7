// One styled bone drawn into the current drawing target: a line with round ends, the circle that
// has the bone as its diameter as an outline, or that circle filled, at a picture's scale. The
// plain style (one pixel, a line) is the exact one-pixel line every picture has always drawn.
#pragma once

#include <cstdint>

#include "model/animation.h"

// A picture's scale: scene coordinates are multiplied by numerator / denominator.
struct PictureScale {
    int32_t numerator = 1;
    int32_t denominator = 1;
};

// Width in scene pixels of the style, 1 to 256.
int32_t StyleWidth(const BoneStyle& style);
// The bone from a to b in the colour (packed) with the style's width and shape. At a reduced scale
// the width shrinks with it but stays at least one pixel.
void DrawStyledBone(const Joint& a, const Joint& b, const BoneStyle& style, int32_t colour,
                    const PictureScale& scale);
