// Paints the whole editor picture into the surface: background, shadow of the previous frame,
// head, bones and joints of the current frame, hover label, rubber band, box and box size.
#pragma once

#include <cstdint>

// What playback paints, as surface pixels (0x00RRGGBB): the ground, the bones and the head disc.
constexpr uint32_t kScenePixelGround = 0x141414;
constexpr uint32_t kScenePixelBone = 0xBBFF00;
constexpr uint32_t kScenePixelHead = 0x505050;
constexpr int32_t kSceneHeadRadius = 28;

void DrawScene();
