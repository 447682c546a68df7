// The frame number and, while help is visible, the command list drawn over the scene: one line per
// key that has a help text, each with the value it shows (a word, a number, a colour swatch), a
// page at a time where the scene does not hold every line. What it shows comes in an OverlayView;
// the editor fills its lines from the command table.
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

// One line of the command list; a line without text stays empty, as a gap between groups of keys.
struct HelpLine {
    const char* text = nullptr;
    HelpValue value;
};

struct OverlayView {
    int32_t frame = 0;
    int32_t helpVisible = 0; // the command list is drawn at 1 exactly
    int32_t helpPage = 0;    // which of its pages; from beyond the last, the last
    // The command list from the top down: each page's first line at y = 24, each next one 12
    // pixels lower.
    std::span<const HelpLine> lines;
    intptr_t font = kSystemFont;
};

// The pages the lines take in a target `height` pixels high: each holds as many lines as end above
// its bottom (at least one), and an empty line that would open a page is left out. At least 1.
int32_t HelpPageCount(std::span<const HelpLine> lines, int32_t height);

void DrawHelpOverlay(const OverlayView& view, const DrawingTarget* target);
// "Frame " and the frame's number, with its top-left corner at (x, y); the overlay and the playback
// mark both show it. Needs a drawing under way.
void DrawFrameNumber(int32_t frame, int32_t x, int32_t y, int32_t colour);
