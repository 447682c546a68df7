// Vector animations as Lottie files (the JSON that lottie-web, lottie-android and lottie-ios
// play): one composition of the pictures' size, the ground as a solid layer at the bottom (none
// when transparent), and above it one shape layer per frame, shown for exactly that frame's time,
// holding the frame's bones as stroked lines over its head disc. The file is replaced atomically;
// a failure comes back as false with a message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/export_file.h"

struct VectorFrame {
    std::vector<BoneSegment> bones;
    bool head = false; // a disc of the style's radius centred on (headX, headY)
    int32_t headX = 0;
    int32_t headY = 0;
};

// How the pictures look: colours as 0x00RRGGBB, lengths in pixels. A bone's line covers the pixels
// from one joint's pixel to the other's, so its centre runs half a pixel in from their corners.
struct VectorStyle {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t ground = 0;
    bool transparent = false; // no ground layer
    uint32_t boneColour = 0;
    int32_t boneWidth = 1;
    uint32_t headColour = 0;
    int32_t headRadius = 0;
};

// name: the composition's name, shown by players and editors.
bool WriteLottieAnimation(const char* path, const std::vector<VectorFrame>& frames,
                          const VectorStyle& style, int32_t framesPerSecond,
                          const std::string& name, std::string* error);
