// Paints one picture of the scene into a drawing target: the ground, shadow of the previous frame,
// head, bones (each in its style) and joints of the frame, hover label, rubber band, box and box
// size. What it shows comes in a SceneView; the editor's cycle, the picture command and any
// thumbnail fill one each.
#pragma once

#include <cstdint>

#include "model/animation.h"
#include "model/bone_style.h"
#include "runtime/drawing.h"

// What playback paints, as surface pixels (0x00RRGGBB): the ground, the bones and the head disc.
constexpr uint32_t kScenePixelGround = 0x141414;
constexpr uint32_t kScenePixelBone = kLimeRgb;
constexpr uint32_t kScenePixelHead = 0x505050;
constexpr int32_t kSceneHeadRadius = 28;

struct SceneView {
    const Animation* animation = nullptr; // nothing but the ground is drawn without one
    int32_t frame = 0;
    uint32_t ground = kScenePixelGround; // the scene's ground, 0x00RRGGBB
    // 1: the animation as playback shows it (lime bones, no stabilising bones, no joints, no
    // shadow, no hover label).
    int32_t playing = 0;
    int32_t shadowOn = 0; // acted on at 1 exactly, like every flag of the scene
    int32_t headOn = 0;
    int32_t hoverJoint = -1;     // the joint whose position label is shown
    int32_t boneStartJoint = -1; // the rubber band runs from it to the cursor
    int32_t cursorX = -1;
    int32_t cursorY = -1;
    Box box;
    int32_t drawingBox = 0; // 1 while the box is drawn: its size is labelled
    intptr_t font = kSystemFont;
    // The onion skin, while shadowOn is 1: how many frames before and after the frame it shows.
    int32_t onionBack = 1;
    int32_t onionAhead = 0;
    // Scene coordinates are multiplied by scaleNumerator / scaleDenominator (a thumbnail draws the
    // 800 x 600 scene at 64 x 48 with 2 / 25).
    int32_t scaleNumerator = 1;
    int32_t scaleDenominator = 1;
};

// Whether playback draws the bone (a standard or free-length bone between two joint slots), and
// in which colour (0x00RRGGBB): its own, or playback's lime.
bool PlaybackDrawsBone(const Bone& bone);
uint32_t PlaybackBonePixel(const Bone& bone);

// The animation's ground as a surface pixel (0x00RRGGBB).
uint32_t GroundPixel(const Animation& animation);
// A frame of the animation as playback, the pictures and the thumbnails show it: bones and head
// over the ground, no editing aids.
SceneView PlaybackView(const Animation& animation, int32_t frame);

// Fills the whole target with the background and draws the view on it.
void DrawScene(const SceneView& view, const DrawingTarget* target);
