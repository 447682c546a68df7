// The status line, drawn in the drawing's default font rather than the overlay's, over the scene
// without the help overlay.
#include "editor/status_line.h"

#include "editor/editor_picture.h"
#include "runtime/drawing.h"
#include "runtime/surface.h"
#include "storage/translation.h"

namespace {

constexpr int32_t kStatusMessageMs = 500;

} // namespace

void ShowStatusMessage(const char* text) {
    DrawEditorScene();
    DrawEditorStrip();
    if (DrawingBegin(SurfaceDrawTarget()) != 0) {
        DrawingSetMode(DrawingTransparentText);
        DrawTextAt(1, 1, Translate(text), PackColour(255, 0, 0));
        DrawingEnd();
    }
    PresentSurface();
    DelayMs(kStatusMessageMs);
}
