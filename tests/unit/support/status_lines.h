// The status line as a test sees it: the red pixels in the top rows of a presented picture, and
// the same for a text drawn there, to compare what a key showed with what it should show.
#pragma once

#include <cstddef>
#include <vector>

#include "runtime/drawing.h"
#include "runtime/headless.h"
#include "runtime/surface.h"

inline std::vector<std::size_t> RedLine(const HeadlessFrame& picture) {
    std::vector<std::size_t> red;
    for (std::size_t index = 0; index < 16u * static_cast<std::size_t>(picture.width); ++index) {
        if (picture.pixels[index] == 0xFF0000) {
            red.push_back(index);
        }
    }
    return red;
}

// The text drawn as the status line draws it, on a cleared surface that is then presented.
inline std::vector<std::size_t> StatusLineOf(const char* text) {
    SurfaceClear(0);
    DrawingBegin(SurfaceDrawTarget());
    DrawingSetMode(DrawingTransparentText);
    DrawTextAt(1, 1, text, PackColour(255, 0, 0));
    DrawingEnd();
    PresentSurface();
    return RedLine(HeadlessFrames().back());
}
