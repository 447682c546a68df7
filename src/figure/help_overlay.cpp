// The text over the scene: the frame number in the top-left corner and, while help is visible, the
// command list (German, or the user's language) with the current bone mode and the state of the
// shadow, collision and head toggles. Texts are in code page 1252 ("\xe4" is a-umlaut, "\xfc"
// u-umlaut).
#include "figure/help_overlay.h"

#include <cstdint>

#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "storage/text.h"
#include "storage/translation.h"

namespace {

constexpr int32_t kTextLeft = 1;
constexpr int32_t kValueLeft = 70; // mode word and toggle values, on the line of their label

// Which value, if any, is drawn after a command line.
enum class LineValue { None, BoneMode, Shadow, Collision, Head };

struct CommandLine {
    int32_t y;
    const char* text;
    LineValue value;
};

// 12 pixels apart; the empty line at y = 96 separates the editing keys from the function keys.
constexpr CommandLine kCommandLines[] = {
    {24, "1 - Neues Gelenk", LineValue::None},
    {36, "Tab - Gelenk statisch/nicht statisch", LineValue::None},
    {48, "W - Rechteck", LineValue::None},
    {60,
     "X - Alles zur\xfc"
     "cksetzen",
     LineValue::None},
    {72, "LStrg - Alles bewegen", LineValue::None},
    {84, "LShift - Gelenke frei bewegen", LineValue::None},
    {108, "F2 - Modus: ", LineValue::BoneMode},
    {120, "F3 - Schatten:", LineValue::Shadow},
    {132, "F4 - Kollision:", LineValue::Collision},
    {144, "F5 - Kopf:", LineValue::Head},
    {156,
     "F6 - Frame Zur\xfc"
     "ck",
     LineValue::None},
    {168, "F7 - Frame Vor", LineValue::None},
    {180, "F8 - Laden", LineValue::None},
    {192, "F9 - Speichern", LineValue::None},
    {204, "F10 - Exportieren", LineValue::None},
    {216, "F11 - Vorigen Frame in aktuellen kopieren", LineValue::None},
    {228, "F12 - Animation Abspielen", LineValue::None},
    {240,
     "Strg+Z - R\xfc"
     "ckg\xe4"
     "ngig",
     LineValue::None},
    {252, "Strg+Y - Wiederholen", LineValue::None},
    {264, "I - Zwischenbilder", LineValue::None},
    {276,
     "Einfg - Bild einf\xfc"
     "gen",
     LineValue::None},
    {288,
     "R\xfc"
     "cktaste - Bild l\xf6schen",
     LineValue::None},
    {300, "Bild auf/ab - Bild verschieben", LineValue::None},
    {312, "Pos1/Ende - Erstes/letztes Bild", LineValue::None},
    {324, "R - Reihenfolge umkehren", LineValue::None},
    {336, "E - Video exportieren", LineValue::None},
};

void DrawBoneModeWord(int32_t y, int32_t boneMode) {
    switch (boneMode) {
    case BoneStandard:
        DrawTextAt(kValueLeft, y, Translate("Standard"), PackColour(187, 255, 0));
        return;
    case BoneStabilising:
        DrawTextAt(kValueLeft, y, Translate("Stabilisierend"), PackColour(187, 0, 255));
        return;
    case BoneFreeLength:
        DrawTextAt(kValueLeft, y, Translate("Freie L\xe4nge"), PackColour(0, 0, 255));
        return;
    default:
        return; // F2 gives only the three modes; any other value has no word
    }
}

// Any value other than 0 counts as on.
void DrawToggleWord(int32_t y, int32_t flag) {
    if (flag == 0) {
        DrawTextAt(kValueLeft, y, Translate("Aus"), PackColour(255, 0, 0));
    } else {
        DrawTextAt(kValueLeft, y, Translate("An"), PackColour(187, 255, 0));
    }
}

void DrawLineValue(const CommandLine& line, const OverlayView& view) {
    switch (line.value) {
    case LineValue::None:
        return;
    case LineValue::BoneMode:
        DrawBoneModeWord(line.y, view.boneMode);
        return;
    case LineValue::Shadow:
        DrawToggleWord(line.y, view.shadowOn);
        return;
    case LineValue::Collision:
        DrawToggleWord(line.y, view.collisionOn);
        return;
    case LineValue::Head:
        DrawToggleWord(line.y, view.headOn);
        return;
    }
}

void DrawCommandList(const OverlayView& view) {
    int32_t colour = PackColour(155, 155, 155);
    for (const CommandLine& line : kCommandLines) {
        DrawTextAt(kTextLeft, line.y, Translate(line.text), colour);
        DrawLineValue(line, view);
    }
}

} // namespace

void DrawHelpOverlay(const OverlayView& view, const DrawingTarget* target) {
    if (DrawingBegin(target) == 0) {
        return;
    }
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(view.font);
    DrawFrameNumber(view.frame, kTextLeft, 1, PackColour(187, 255, 0));
    if (view.helpVisible == 1) {
        DrawCommandList(view);
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
