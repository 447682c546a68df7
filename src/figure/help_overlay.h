// The frame number and, while help is visible, the German command list with the bone mode and the
// three toggles, drawn over the scene. What it shows comes in an OverlayView.
#pragma once

#include <cstdint>

#include "runtime/drawing.h"

struct OverlayView {
    int32_t frame = 0;
    int32_t helpVisible = 0; // the command list is drawn at 1 exactly
    int32_t boneMode = 0;
    int32_t shadowOn = 0;
    int32_t collisionOn = 0;
    int32_t headOn = 0;
    intptr_t font = kSystemFont;
};

void DrawHelpOverlay(const OverlayView& view, const DrawingTarget* target);
// "Frame " and the frame's number, with its top-left corner at (x, y); the overlay and the playback
// mark both show it. Needs a drawing under way.
void DrawFrameNumber(int32_t frame, int32_t x, int32_t y, int32_t colour);
