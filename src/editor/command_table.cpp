// The command table and its dispatch. Rows stand in the order in which their keys act within one
// cycle (several may act in the same cycle: X, 1 and Tab together empty the frame, make a joint
// and pin it); the help list orders its lines by their place instead.
#include "editor/command_table.h"

#include <algorithm>
#include <iterator>

#include "editor/command_keys.h"
#include "editor/editor_picture.h"
#include "editor/figure_keys.h"
#include "editor/figure_library_keys.h"
#include "editor/key_press.h"
#include "editor/motion_import.h"
#include "editor/playback.h"
#include "editor/sound_keys.h"
#include "editor/style_keys.h"
#include "editor/timeline.h"
#include "editor/undo_history.h"
#include "editor/video_export_key.h"
#include "model/bone_style.h"
#include "model/frame_range.h"
#include "runtime/fonts.h"
#include "runtime/input.h"
#include "storage/export_file.h"

namespace {

constexpr int32_t kKeyCount = 256;

const int32_t kLime = PackColour(187, 255, 0);
const int32_t kRed = PackColour(255, 0, 0);

void ShowBoneMode(const EditorState& state, HelpValue* value) {
    switch (state.session.boneMode) {
    case BoneStandard:
        SetHelpValueText(value, "Standard", kLime);
        return;
    case BoneStabilising:
        SetHelpValueText(value, "Stabilisierend", PackColour(187, 0, 255));
        return;
    case BoneFreeLength:
        SetHelpValueText(value, "Freie L\xe4nge", PackColour(0, 0, 255));
        return;
    default:
        return; // F2 gives only the three modes; any other value has no word
    }
}

// Any value other than 0 counts as on.
void ShowToggle(int32_t flag, HelpValue* value) {
    if (flag == 0) {
        SetHelpValueText(value, "Aus", kRed);
    } else {
        SetHelpValueText(value, "An", kLime);
    }
}

void ShowShadow(const EditorState& state, HelpValue* value) {
    ShowToggle(state.animation.shadowOn, value);
}
void ShowCollision(const EditorState& state, HelpValue* value) {
    ShowToggle(state.animation.collisionOn, value);
}
void ShowHead(const EditorState& state, HelpValue* value) {
    ShowToggle(state.animation.headOn, value);
}

int32_t Packed(int32_t rgb) {
    return PackColour(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

// The pen's colour as a swatch, the kind's colour for the next bone's kind named "Art".
void ShowPenColour(const EditorState& state, HelpValue* value) {
    value->swatch = Packed(StyleColour(state.session.pen, state.session.boneMode));
    if (state.session.pen.ownColour == 0) {
        SetHelpValueText(value, "Art", kLime);
    }
}
void ShowPenThickness(const EditorState& state, HelpValue* value) {
    char text[8] = {};
    int32_t pixels = ThicknessPixels(state.session.pen);
    for (int32_t at = pixels >= 100 ? 2 : pixels >= 10 ? 1 : 0, rest = pixels; at >= 0; --at) {
        text[at] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    SetHelpValueText(value, text, kLime);
}
void ShowPenShape(const EditorState& state, HelpValue* value) {
    SetHelpValueText(value, ShapeName(state.session.pen.shape), kLime);
}

// clang-format off
const Command kCommands[] = {
    {.scanCode = ScanX, .help = "X - Alles zur\xfc" "cksetzen", .helpLine = 3,
     .act = ResetAllStep},
    {.scanCode = ScanKey1, .help = "1 - Neues Gelenk", .helpLine = 0,
     .act = AddJointStep},
    {.scanCode = ScanTab, .help = "Tab - Gelenk statisch/nicht statisch", .helpLine = 1,
     .act = ToggleStaticStep},
    {.scanCode = ScanLeftShift, .help = "LShift - Gelenke frei bewegen", .helpLine = 5,
     .trigger = Trigger::Held, .hold = HoldLeftShift},
    {.scanCode = ScanLeftCtrl, .help = "LStrg - Alles bewegen", .helpLine = 4,
     .trigger = Trigger::Held, .hold = HoldLeftCtrl},
    {.scanCode = ScanW, .help = "W - Rechteck", .helpLine = 2,
     .trigger = Trigger::Held, .hold = HoldBoxKey},
    // Saves again, and shows the result again, in every cycle in which F9 is down.
    {.scanCode = ScanF9, .help = "F9 - Speichern", .helpLine = 14,
     .trigger = Trigger::Repeat, .act = SaveWithMessage},
    {.scanCode = ScanF8, .help = "F8 - Laden", .helpLine = 13,
     .act = LoadWithMessage},
    {.scanCode = ScanF1,
     .act = ToggleHelp},
    {.scanCode = ScanF4, .help = "F4 - Kollision:", .helpLine = 9,
     .value = ShowCollision,
     .act = ToggleCollision},
    {.scanCode = ScanF5, .help = "F5 - Kopf:", .helpLine = 10,
     .value = ShowHead,
     .act = ToggleHead},
    {.scanCode = ScanF6, .help = "F6 - Frame Zur\xfc" "ck", .helpLine = 11,
     .act = StepFrameBack},
    {.scanCode = ScanF7, .help = "F7 - Frame Vor", .helpLine = 12,
     .act = StepFrameForward},
    {.scanCode = ScanDelete,
     .act = DeleteJointStep},
    {.scanCode = ScanF3, .help = "F3 - Schatten:", .helpLine = 8,
     .value = ShowShadow,
     .act = ToggleShadow},
    {.scanCode = ScanF10, .help = "F10 - Exportieren", .helpLine = 15,
     .act = [] { ExportAnimation(editor.session.basePath, editor.animation); }},
    {.scanCode = ScanF12, .help = "F12 - Animation Abspielen", .helpLine = 17,
     .act = PlayAnimation},
    {.scanCode = ScanF11, .help = "F11 - Vorigen Frame in aktuellen kopieren", .helpLine = 16,
     .act = CopyIntoCurrentFrame, .enabled = NotOnFirstFrame},
    {.scanCode = ScanF2, .help = "F2 - Modus: ", .helpLine = 7, .value = ShowBoneMode,
     .act = CycleBoneMode},
    {.scanCode = ScanI, .help = "I - Zwischenbilder", .helpLine = 20,
     .act = MakeInbetweens},
    {.scanCode = ScanInsert, .help = "Einfg - Bild einf\xfc" "gen", .helpLine = 21,
     .act = [] { InsertCopiesOfRun(); }},
    {.scanCode = ScanBackspace, .help = "R\xfc" "cktaste - Bild l\xf6schen", .helpLine = 22,
     .act = [] { DeleteRun(); }},
    {.scanCode = ScanPageUp, .help = "Bild auf/ab - Bild verschieben", .helpLine = 23,
     .act = [] { MoveRunTo(CurrentRun().first - 1); }},
    {.scanCode = ScanPageDown, .help = "Bild auf/ab - Bild verschieben", .helpLine = 23,
     .act = [] { MoveRunTo(CurrentRun().first + 1); }},
    {.scanCode = ScanHome, .help = "Pos1/Ende - Erstes/letztes Bild", .helpLine = 24,
     .act = [] { ClearSelection(); GoToFrame(0); }},
    {.scanCode = ScanEnd, .help = "Pos1/Ende - Erstes/letztes Bild", .helpLine = 24,
     .act = [] { ClearSelection(); GoToFrame(LastFrameInUse(editor.animation)); }},
    {.scanCode = ScanR, .help = "R - Reihenfolge umkehren", .helpLine = 25,
     .act = [] { ReverseSelection(); }},
    {.letter = 'Z', .modifier = Modifier::Ctrl,
     .help = "Strg+Z - R\xfc" "ckg\xe4" "ngig", .helpLine = 18,
     .act = [] { EndFigureGestures(); UndoTakeBack(); }},
    {.letter = 'Y', .modifier = Modifier::Ctrl, .help = "Strg+Y - Wiederholen", .helpLine = 19,
     .act = [] { EndFigureGestures(); UndoDoAgain(); }},
    {.scanCode = ScanE, .help = "E - Video exportieren", .helpLine = 26,
     .act = ExportWindowVideos},
    {.letter = 'F', .modifier = Modifier::Plain, .help = "F - Farbe:", .helpLine = 27,
     .value = ShowPenColour, .act = NextPenColour},
    {.letter = 'F', .modifier = Modifier::Shift, .help = "F - Farbe:", .helpLine = 27,
     .act = PreviousPenColour},
    // + often needs Shift, as on a US keyboard, where it shares the key of =.
    {.letter = '+', .help = "+/- - Dicke:", .helpLine = 28, .value = ShowPenThickness,
     .act = ThickerPen},
    {.scanCode = ScanNumpadPlus, .help = "+/- - Dicke:", .helpLine = 28, .act = ThickerPen},
    {.letter = '-', .help = "+/- - Dicke:", .helpLine = 28, .act = ThinnerPen},
    {.scanCode = ScanNumpadMinus, .help = "+/- - Dicke:", .helpLine = 28, .act = ThinnerPen},
    {.letter = 'K', .help = "K - Form:", .helpLine = 29, .value = ShowPenShape,
     .act = NextPenShape},
    {.letter = 'A', .modifier = Modifier::Plain, .help = "A - Stil anwenden", .helpLine = 30,
     .act = ApplyPenToBone},
    {.letter = 'A', .modifier = Modifier::Shift, .help = "A - Stil anwenden", .helpLine = 30,
     .act = TakeStyleFromBone},
    // The label reaches past where values stand, and the scene behind shows the ground anyway.
    {.letter = 'B', .modifier = Modifier::Plain, .help = "B - Hintergrund", .helpLine = 31,
     .act = NextGroundColour},
    {.letter = 'B', .modifier = Modifier::Shift, .help = "B - Hintergrund", .helpLine = 31,
     .act = PreviousGroundColour},
    {.help = "Mitteltaste - Figur bewegen", .helpLine = 32, .mouseOnly = true},
    {.letter = 'D', .modifier = Modifier::Plain, .help = "D - Figur drehen", .helpLine = 33,
     .trigger = Trigger::Held, .hold = HoldTurnFigure},
    {.letter = 'S', .modifier = Modifier::Plain, .help = "S - Figur skalieren", .helpLine = 34,
     .trigger = Trigger::Held, .hold = HoldScaleFigure},
    {.letter = 'M', .modifier = Modifier::Plain, .help = "M - Figur spiegeln", .helpLine = 35,
     .act = MirrorFigureStep},
    {.letter = 'C', .modifier = Modifier::Plain, .help = "C - Figur kopieren", .helpLine = 36,
     .act = CopyFigureStep},
    {.letter = 'L', .modifier = Modifier::Plain, .help = "L - Figur l\xf6schen", .helpLine = 37,
     .act = DeleteFigureStep},
    {.letter = 'V', .modifier = Modifier::Plain, .help = "V/H - Figur nach vorn/hinten",
     .helpLine = 38, .act = FigureToFrontStep},
    {.letter = 'H', .modifier = Modifier::Plain, .help = "V/H - Figur nach vorn/hinten",
     .helpLine = 38, .act = FigureToBackStep},
    {.letter = 'G', .modifier = Modifier::Plain, .help = "G - Figur speichern", .helpLine = 39,
     .act = SaveFigureUnderPointer},
    {.letter = 'O', .modifier = Modifier::Plain, .help = "O - Figur einf\xfc" "gen", .helpLine = 40,
     .act = InsertFigureFromFile},
    {.letter = 'T', .modifier = Modifier::Plain, .help = "T - Ton laden / Shift+T entfernen",
     .helpLine = 41, .act = ChooseSound},
    {.letter = 'T', .modifier = Modifier::Shift, .help = "T - Ton laden / Shift+T entfernen",
     .helpLine = 41, .act = RemoveSound},
    {.letter = 'U', .help = "U - Bewegung importieren", .helpLine = 42,
     .act = ImportMotionKey},
};
// clang-format on

CommandPresses editorPresses;

bool KeyDown(int32_t scanCode) {
    return IsKeyDown(scanCode) != 0;
}

bool ModifierHolds(Modifier modifier) {
    bool ctrl = KeyDown(ScanLeftCtrl) || KeyDown(ScanRightCtrl);
    bool shift = KeyDown(ScanLeftShift) || KeyDown(ScanRightShift);
    switch (modifier) {
    case Modifier::Any:
        return true;
    case Modifier::Plain:
        return !ctrl && !shift;
    case Modifier::Shift:
        return shift && !ctrl;
    case Modifier::Ctrl:
        return ctrl;
    }
    return false;
}

// The key's scan code now: a letter's key follows the layout; -1 when the layout has none.
int32_t KeyOf(const Command& command) {
    int32_t scanCode = command.letter != 0 ? ScanCodeOfLetter(command.letter) : command.scanCode;
    return scanCode >= 0 && scanCode < kKeyCount ? scanCode : -1;
}

bool CommandDown(const Command& command, int32_t scanCode) {
    return scanCode >= 0 && KeyDown(scanCode) && ModifierHolds(command.modifier);
}

void HandlePress(const Command& command, int32_t row, CommandPresses* presses) {
    int32_t scanCode = KeyOf(command);
    int32_t& latch = presses->latches[row];
    if (scanCode < 0) {
        latch = 0;
        return;
    }
    int32_t& pressedBy = presses->pressedBy[scanCode];
    if (!KeyDown(scanCode)) {
        pressedBy = 0;
    }
    bool mayAct = (pressedBy == 0 || pressedBy == row + 1) &&
                  (command.enabled == nullptr || command.enabled());
    if (TakePress(CommandDown(command, scanCode) && mayAct, latch)) {
        pressedBy = row + 1;
        command.act();
    }
    RearmWhenUp(CommandDown(command, scanCode), latch);
}

void HandleCommand(const Command& command, int32_t row, CommandPresses* presses) {
    if (command.mouseOnly) {
        return;
    }
    switch (command.trigger) {
    case Trigger::Press:
        HandlePress(command, row, presses);
        return;
    case Trigger::Held:
        command.hold(CommandDown(command, KeyOf(command)));
        return;
    case Trigger::Repeat:
        if (CommandDown(command, KeyOf(command))) {
            command.act();
        }
        return;
    }
}

} // namespace

std::span<const Command> CommandTable() {
    return kCommands;
}

int32_t HeldKeyOf(void (*hold)(bool down)) {
    for (const Command& command : CommandTable()) {
        if (command.hold == hold) {
            return KeyOf(command);
        }
    }
    return -1;
}

void HandleCommands(std::span<const Command> commands, CommandPresses* presses) {
    presses->latches.resize(commands.size());
    presses->pressedBy.resize(kKeyCount);
    for (std::size_t row = 0; row < commands.size(); ++row) {
        HandleCommand(commands[row], static_cast<int32_t>(row), presses);
    }
}

void HandleCommandKeys() {
    HandleCommands(kCommands, &editorPresses);
    ClearSelectionAwayFromCurrentFrame();
}

void ResetCommandKeys() {
    editorPresses = CommandPresses{};
}

// Rows listed on a line already taken (Bild auf and Bild ab) share the first one's text. The
// lines are drawn from the top down.
int32_t FillHelpLines(std::span<const Command> commands, const EditorState& state,
                      std::span<HelpLine> lines) {
    int32_t count = 0;
    for (const Command& command : commands) {
        auto taken = std::find_if(lines.begin(), lines.begin() + count, [&](const HelpLine& line) {
            return line.line == command.helpLine;
        });
        if (command.help == nullptr || taken != lines.begin() + count ||
            count == static_cast<int32_t>(lines.size())) {
            continue;
        }
        HelpLine& line = lines[count++];
        line = HelpLine{command.helpLine, command.help, HelpValue{}};
        if (command.value != nullptr) {
            command.value(state, &line.value);
        }
    }
    std::stable_sort(lines.begin(), lines.begin() + count,
                     [](const HelpLine& a, const HelpLine& b) { return a.line < b.line; });
    return count;
}

OverlayView EditorOverlayView() {
    static HelpLine lines[std::size(kCommands)];
    OverlayView view;
    view.frame = editor.session.currentFrame;
    view.helpVisible = editor.session.helpVisible;
    view.lines = std::span<const HelpLine>(lines, FillHelpLines(kCommands, editor, lines));
    view.font = FontHandle(editor.session.hudFont);
    return view;
}

void DrawEditorOverlay() {
    DrawHelpOverlay(EditorOverlayView(), EditorSceneTarget());
}
