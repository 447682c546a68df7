// The text over the scene: the frame number in the top-left corner and, while help is visible, the
// command list the view brings, each line with its value. Texts are in code page 1252, German,
// and shown in the user's language.
#include "figure/help_overlay.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "model/bone_style.h"
#include "runtime/drawing.h"
#include "storage/text.h"
#include "storage/translation.h"

namespace {

constexpr int32_t kTextLeft = 1;
constexpr int32_t kFirstLineTop = 24;
constexpr int32_t kLinePitch = 12;
constexpr int32_t kValueLeft = 70; // values stand on the line of their label
constexpr int32_t kSwatchWidth = 16;
constexpr int32_t kSwatchHeight = 9;
constexpr int32_t kSwatchGap = 4; // between the swatch and a text after it

int32_t LinesPerPage(int32_t height) {
    return std::max((height - kFirstLineTop) / kLinePitch, 1);
}

// Where the page after the one that starts at `first` starts; lines.size() after the last.
std::size_t NextPageStart(std::span<const HelpLine> lines, std::size_t first, int32_t height) {
    std::size_t next =
        std::min(first + static_cast<std::size_t>(LinesPerPage(height)), lines.size());
    while (next < lines.size() && lines[next].text == nullptr) {
        ++next;
    }
    return next;
}

// The swatch sits on the text's line, framed in the command lines' grey so that a colour like the
// ground's still shows.
void DrawValue(const HelpValue& value, int32_t y, int32_t frameColour) {
    int32_t x = kValueLeft;
    if (value.swatch >= 0) {
        DrawBox(x, y + 1, kSwatchWidth, kSwatchHeight, frameColour);
        DrawBox(x + 1, y + 2, kSwatchWidth - 2, kSwatchHeight - 2, value.swatch);
        x += kSwatchWidth + kSwatchGap;
    }
    if (value.text[0] != 0) {
        DrawTextAt(x, y, Translate(value.text.data()), value.colour);
    }
}

// The lines of the page asked for, or of the last one.
void DrawCommandList(const OverlayView& view, int32_t height) {
    std::size_t first = 0;
    for (int32_t page = 0; page < view.helpPage; ++page) {
        std::size_t next = NextPageStart(view.lines, first, height);
        if (next == view.lines.size()) {
            break;
        }
        first = next;
    }
    int32_t colour = PackColour(155, 155, 155);
    std::size_t end = NextPageStart(view.lines, first, height);
    for (std::size_t index = first; index < end; ++index) {
        const HelpLine& line = view.lines[index];
        if (line.text == nullptr) {
            continue;
        }
        int32_t top = kFirstLineTop + kLinePitch * static_cast<int32_t>(index - first);
        DrawTextAt(kTextLeft, top, Translate(line.text), colour);
        DrawValue(line.value, top, colour);
    }
}

} // namespace

int32_t HelpPageCount(std::span<const HelpLine> lines, int32_t height) {
    int32_t pages = 1;
    for (std::size_t first = 0;; ++pages) {
        first = NextPageStart(lines, first, height);
        if (first == lines.size()) {
            return pages;
        }
    }
}

void SetHelpValueText(HelpValue* value, const char* text, int32_t colour) {
    std::size_t length = std::min(std::strlen(text), value->text.size() - 1);
    std::memcpy(value->text.data(), text, length);
    value->text[length] = 0;
    value->colour = colour;
}

void DrawHelpOverlay(const OverlayView& view, const DrawingTarget* target) {
    if (DrawingBegin(target) == 0) {
        return;
    }
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(view.font);
    DrawFrameNumber(view.frame, kTextLeft, 1, PixelToColour(kLimeRgb));
    if (view.helpVisible == 1) {
        DrawCommandList(view, target->height);
    }
    DrawingEnd();
}

void DrawFrameNumber(int32_t frame, int32_t x, int32_t y, int32_t colour) {
    int32_t start = WorkBufferLength();
    AppendText(Translate("Frame "));
    Int64ToText(frame, WorkBufferLength());
    DrawTextAt(x, y, WorkBufferText(start), colour);
    WorkBufferSetLength(start);
}
