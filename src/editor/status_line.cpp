// The status line, drawn in the drawing's default font rather than the overlay's, over the scene
// without the help overlay.
#include "editor/status_line.h"

#include <string>

#include "editor/editor_picture.h"
#include "runtime/codepage.h"
#include "runtime/drawing.h"
#include "runtime/surface.h"
#include "storage/translation.h"

namespace {

constexpr int32_t kStatusMessageMs = 500;

} // namespace

void ShowStatusMessage(const char* text) {
    ShowStatusMessageAbout(text, "");
}

void ShowStatusMessageAbout(const char* text, const char* name) {
    std::string line = std::string(Translate(text)) + Utf8ToCp1252(name);
    DrawEditorScene();
    DrawEditorStrip();
    if (DrawingBegin(SurfaceDrawTarget()) != 0) {
        DrawingSetMode(DrawingTransparentText);
        DrawTextAt(1, 1, line.c_str(), PackColour(255, 0, 0));
        DrawingEnd();
    }
    PresentSurface();
    DelayMs(kStatusMessageMs);
}
