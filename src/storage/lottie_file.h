// Vector animations as Lottie files (the JSON that lottie-web, lottie-android and lottie-ios
// play): one composition of the pictures' size, the ground as a solid layer at the bottom (none
// when transparent), and above it one shape layer per frame, shown for exactly that frame's time,
// holding the frame's bones over its head disc: lines as stroked paths, circles as ellipses
// stroked or filled, each in its own colour and width. The file is replaced atomically;
// a failure comes back as false with a message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/export_file.h"

enum class VectorShape : uint8_t { Line, Circle, Disc };

// One bone between the pixels of its joints: a line of the width, or the circle that has it as
// its diameter, outlined in the width or filled out to the outline's outer edge.
struct VectorBone {
    BoneSegment segment;
    uint32_t colour = 0; // 0x00RRGGBB
    int32_t width = 1;
    VectorShape shape = VectorShape::Line;
};

struct VectorFrame {
    std::vector<VectorBone> bones; // in drawing order: the last lies on top
    bool head = false;             // a disc of the style's radius centred on (headX, headY)
    int32_t headX = 0;
    int32_t headY = 0;
};

// How the pictures look: colours as 0x00RRGGBB, lengths in pixels. A bone's line covers the pixels
// from one joint's pixel to the other's, so its centre runs half a pixel in from their corners;
// a one-pixel line has square ends, so that it covers both joints' pixels, a wider one round ends.
struct VectorStyle {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t ground = 0;
    bool transparent = false; // no ground layer
    uint32_t headColour = 0;
    int32_t headRadius = 0;
};

// name: the composition's name, shown by players and editors.
bool WriteLottieAnimation(const char* path, const std::vector<VectorFrame>& frames,
                          const VectorStyle& style, int32_t framesPerSecond,
                          const std::string& name, std::string* error);
