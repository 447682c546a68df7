// The frame number and, while help is visible, the German command list with the bone mode and the
// three toggles, drawn over the scene.
#pragma once

#include <cstdint>

void DrawHelpOverlay();
// "Frame " and the current frame's number, with its top-left corner at (x, y); the overlay and
// the playback mark both show it. Needs a drawing under way.
void DrawFrameNumber(int32_t x, int32_t y, int32_t colour);
