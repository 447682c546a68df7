// The frame number and, while help is visible, the command list drawn over the scene: one line per
// key that has a help text, each with the value it shows (a word, a number, a colour swatch).
// What it shows comes in an OverlayView; the editor fills its lines from the command table.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "runtime/drawing.h"

// What a help line shows after its label, from x = 70 on: a colour swatch, then a text.
struct HelpValue {
    std::array<char, 32> text{}; // "" for none
    int32_t colour = 0;          // of the text
    int32_t swatch = -1;         // the swatch's colour; -1 for none
};
// A text of at most 31 bytes, cut there.
void SetHelpValueText(HelpValue* value, const char* text, int32_t colour);

struct HelpLine {
    int32_t line = 0; // the place in the list: line 0 at y = 24, each next one 12 pixels lower
    const char* text = nullptr;
    HelpValue value;
};

struct OverlayView {
    int32_t frame = 0;
    int32_t helpVisible = 0; // the command list is drawn at 1 exactly
    std::span<const HelpLine> lines;
    intptr_t font = kSystemFont;
};

void DrawHelpOverlay(const OverlayView& view, const DrawingTarget* target);
// "Frame " and the frame's number, with its top-left corner at (x, y); the overlay and the playback
// mark both show it. Needs a drawing under way.
void DrawFrameNumber(int32_t frame, int32_t x, int32_t y, int32_t colour);
