// Bone styles: the pen palette, the thicknesses, the shapes and the ground colours the keys step
// through, the colour a style resolves to for a bone's kind, the blend between two styles that
// in-betweens take, the bone whose drawn shape lies nearest a point, and a style applied to one
// bone slot over a run of frames. Colours are 0xRRGGBB throughout.
#pragma once

#include <cstdint>

#include "model/animation.h"

constexpr int32_t kPenColourCount = 13; // the first is the bone kind's own colour
constexpr int32_t kThicknessCount = 13;
constexpr int32_t kShapeCount = 3;
constexpr int32_t kGroundColourCount = 6;
constexpr int32_t kThickestBone = 32; // pixels
constexpr int32_t kStyleReach = 8;    // how near the pointer a bone's drawn shape must be for key A

// Lime: the standard bone kind's colour, every bone's in playback, and the colour of the editor's
// own marks (the frame number, the box, the strip's current cell, the progress bar, help values).
constexpr int32_t kLimeRgb = 0xBBFF00;

// The pen palette's colour at an index (0 to 12); index 0 is -1, the kind's colour.
int32_t PenColour(int32_t index);
// The index of the style's colour in the pen palette, or -1 for a colour that is not in it.
int32_t PenColourIndex(const BoneStyle& style);
// Line width in scene pixels, 1 to 256.
inline int32_t ThicknessPixels(const BoneStyle& style) {
    return style.thickness + 1;
}
// "Linie", "Kreis" or "Scheibe"; a shape beyond them counts as a line.
const char* ShapeName(int32_t shape);
// The colour of a bone kind drawn in the default style: lime, blue, pink.
int32_t KindColour(int32_t kind);
// The colour a bone of that kind and style is drawn in.
int32_t StyleColour(const BoneStyle& style, int32_t kind);
bool SameStyle(const BoneStyle& a, const BoneStyle& b);
bool IsDefaultStyle(const BoneStyle& style);
// The style as the file and the keys hold it: a colour of the kind's has no red, green or blue, the
// thickness is at most 32 pixels and a shape beyond the three is a line.
BoneStyle CleanStyle(BoneStyle style);
// Whether the bone is drawn in a style of its own once the style is cleaned. A style of all zeros
// (nearly every bone's) is answered without cleaning it: saving asks this of every bone.
inline bool HasOwnStyle(const BoneStyle& style) {
    return (style.ownColour | style.thickness | style.shape) != 0 &&
           !IsDefaultStyle(CleanStyle(style));
}

// The keys' steps. Colours and ground colours go round; thicknesses stop at 1 and 32 pixels, and a
// thickness between two of the list steps to the next one in that direction; shapes go round.
BoneStyle StepPenColour(BoneStyle pen, int32_t steps);
BoneStyle StepThickness(BoneStyle pen, int32_t steps);
BoneStyle StepShape(BoneStyle pen, int32_t steps);
int32_t StepGroundColour(int32_t ground, int32_t steps);

// The style at t (0 to 1) of the way from `from` to `to` on a bone of the given kind: colour and
// thickness change evenly (a kind's colour counts as the colour it is drawn in), the shape switches
// halfway. The ends give the two styles themselves.
BoneStyle BlendStyles(const BoneStyle& from, const BoneStyle& to, int32_t kind, double t);

// How far (x, y) lies from the shape the bone is drawn as: a line of its thickness with round ends,
// the outline of the circle on the bone as diameter, or that circle filled. 0 on the shape.
// Stabilising bones are drawn as the plain line whatever their style.
double DistanceToDrawnBone(const Animation& animation, int32_t frame, const Bone& bone, double x,
                           double y);
// The bone of the frame that joins two joints in use and whose drawn shape is nearest (x, y),
// within `reach` pixels; the lowest slot on equal distances; -1 when none is that near.
int32_t NearestDrawnBone(const Animation& animation, int32_t frame, double x, double y,
                         double reach);

// Gives the style to bone slot `slot` in every frame from firstFrame to lastFrame (clipped to the
// grids) in which that slot joins the same two joint slots as `pattern` (either way round).
// Returns how many bones took it.
int32_t StyleBoneInFrames(Animation& animation, int32_t slot, const Bone& pattern,
                          const BoneStyle& style, int32_t firstFrame, int32_t lastFrame);
