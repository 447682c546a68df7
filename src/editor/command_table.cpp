// The command table and its dispatch. Rows stand in the order in which their keys act within one
// cycle (several may act in the same cycle: X, 1 and Tab together empty the frame, make a joint
// and pin it); the help list orders its lines by their place instead.
#include "editor/command_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>

#include "editor/command_keys.h"
#include "editor/editor_picture.h"
#include "editor/figure_keys.h"
#include "editor/figure_library_keys.h"
#include "editor/key_press.h"
#include "editor/motion_import.h"
#include "editor/mouse_editing.h"
#include "editor/playback.h"
#include "editor/sound_keys.h"
#include "editor/style_keys.h"
#include "editor/timeline.h"
#include "editor/timeline_mouse.h"
#include "editor/undo_history.h"
#include "editor/video_export_key.h"
#include "model/bone_style.h"
#include "model/easing.h"
#include "model/frame_range.h"
#include "runtime/fonts.h"
#include "runtime/input.h"
#include "storage/export_file.h"

namespace {

constexpr int32_t kKeyCount = 256;

const int32_t kLime = PixelToColour(kLimeRgb);
const int32_t kRed = PackColour(255, 0, 0);
// The translations' context of the easings' words (gettext's msgctxt, joined to the word by 0x04).
constexpr const char* kEasingContext = "\xdc"
                                       "bergang\x04";

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
// The easing's word in the context of easings, where "Aus" is no toggle's "off".
void ShowPenEasing(const EditorState& state, HelpValue* value) {
    std::array<char, sizeof(HelpValue::text)> text{};
    std::snprintf(text.data(), text.size(), "%s%s", kEasingContext,
                  EasingName(state.session.penEasing));
    SetHelpValueText(value, text.data(), kLime);
}

// During playback and the video export, the keys of their rows ask them to stop.
bool stopAsked = false;
bool endAsked = false;
CommandPresses editorPresses;

// The rows of `during` on a keyboard snapshot of their own: whether one of them asked to stop.
bool StopAskedDuring(During during) {
    SampleKeyboard();
    stopAsked = false;
    HandleCommands(CommandTable(), &editorPresses, during);
    return stopAsked;
}

// clang-format off
const Command kCommands[] = {
    {.scanCode = ScanX, .help = {HelpItem::ResetAll, "X - Alles zur\xfc" "cksetzen"},
     .act = ResetAllStep},
    {.scanCode = ScanKey1, .help = {HelpItem::NewJoint, "1 - Neues Gelenk"},
     .act = AddJointStep},
    {.scanCode = ScanTab, .help = {HelpItem::StaticJoint, "Tab - Gelenk statisch/nicht statisch"},
     .act = ToggleStaticStep},
    {.scanCode = ScanLeftShift, .help = {HelpItem::FreeJoints, "LShift - Gelenke frei bewegen"},
     .trigger = Trigger::Held, .hold = HoldLeftShift, .gesture = UndoGestureRemeasure},
    {.scanCode = ScanLeftCtrl, .help = {HelpItem::MoveAll, "LStrg - Alles bewegen"},
     .trigger = Trigger::Held, .hold = HoldLeftCtrl, .gesture = UndoGestureMoveAll},
    {.scanCode = ScanW, .help = {HelpItem::Box, "W - Rechteck"},
     .trigger = Trigger::Held, .hold = HoldBoxKey, .gesture = UndoGestureBox},
    // Saves again, and shows the result again, in every cycle in which F9 is down.
    {.scanCode = ScanF9, .help = {HelpItem::Save, "F9 - Speichern"},
     .trigger = Trigger::Repeat, .act = SaveWithMessage},
    {.scanCode = ScanF8, .help = {HelpItem::Load, "F8 - Laden"},
     .act = LoadWithMessage},
    {.scanCode = ScanF1,
     .act = [] { ToggleHelp(EditorHelpPageCount()); }},
    {.scanCode = ScanF4, .help = {HelpItem::Collision, "F4 - Kollision:", ShowCollision},
     .act = ToggleCollision},
    {.scanCode = ScanF5, .help = {HelpItem::Head, "F5 - Kopf:", ShowHead},
     .act = ToggleHead},
    {.scanCode = ScanF6, .help = {HelpItem::FrameBack, "F6 - Frame Zur\xfc" "ck"},
     .act = StepFrameBack},
    {.scanCode = ScanF7, .help = {HelpItem::FrameForward, "F7 - Frame Vor"},
     .act = StepFrameForward},
    {.scanCode = ScanDelete,
     .act = DeleteJointStep},
    {.scanCode = ScanF3, .help = {HelpItem::Shadow, "F3 - Schatten:", ShowShadow},
     .act = ToggleShadow},
    {.scanCode = ScanF10, .help = {HelpItem::Export, "F10 - Exportieren"},
     .act = [] { ExportAnimation(editor.session.basePath, editor.animation); }},
    // The press that started playback is no stop: a stop is F12 pressed again.
    {.scanCode = ScanF12, .help = {HelpItem::Play, "F12 - Animation Abspielen"},
     .act = [] { PlayAnimation([] { return StopAskedDuring(During::Playback); }); }},
    {.scanCode = ScanF12, .act = [] { stopAsked = true; }, .during = During::Playback},
    {.scanCode = ScanF11,
     .help = {HelpItem::CopyPrevious, "F11 - Vorigen Frame in aktuellen kopieren"},
     .act = CopyIntoCurrentFrame, .enabled = NotOnFirstFrame},
    {.scanCode = ScanF2, .help = {HelpItem::BoneMode, "F2 - Modus: ", ShowBoneMode},
     .act = CycleBoneMode},
    {.scanCode = ScanI, .help = {HelpItem::Inbetweens, "I - Zwischenbilder"},
     .act = MakeInbetweens},
    {.scanCode = ScanInsert, .help = {HelpItem::InsertFrame, "Einfg - Bild einf\xfc" "gen"},
     .act = [] { InsertCopiesOfRun(); }},
    {.scanCode = ScanBackspace,
     .help = {HelpItem::DeleteFrame, "R\xfc" "cktaste - Bild l\xf6schen"},
     .act = [] { DeleteRun(); }},
    {.scanCode = ScanPageUp, .help = {HelpItem::MoveFrame, "Bild auf/ab - Bild verschieben"},
     .act = [] { MoveRunTo(CurrentRun().first - 1); }},
    {.scanCode = ScanPageDown, .help = {HelpItem::MoveFrame},
     .act = [] { MoveRunTo(CurrentRun().first + 1); }},
    {.scanCode = ScanHome, .help = {HelpItem::FirstOrLastFrame, "Pos1/Ende - Erstes/letztes Bild"},
     .act = [] { ClearSelection(); GoToFrame(0); }},
    {.scanCode = ScanEnd, .help = {HelpItem::FirstOrLastFrame},
     .act = [] { ClearSelection(); GoToFrame(LastFrameInUse(editor.animation)); }},
    {.scanCode = ScanR, .help = {HelpItem::Reverse, "R - Reihenfolge umkehren"},
     .act = [] { ReverseSelection(); }},
    {.letter = 'Z', .modifier = Modifier::Ctrl,
     .help = {HelpItem::Undo, "Strg+Z - R\xfc" "ckg\xe4" "ngig"},
     .act = [] { EndFigureGestures(); UndoTakeBack(); }},
    {.letter = 'Y', .modifier = Modifier::Ctrl, .help = {HelpItem::Redo, "Strg+Y - Wiederholen"},
     .act = [] { EndFigureGestures(); UndoDoAgain(); }},
    // Escape during the export cancels it; that press does not end the editor too.
    {.scanCode = ScanE, .help = {HelpItem::Videos, "E - Video exportieren"},
     .act = [] { ExportWindowVideos([] { return StopAskedDuring(During::VideoExport); }); }},
    {.scanCode = ScanEscape, .act = [] { stopAsked = true; }, .during = During::VideoExport},
    {.letter = 'F', .modifier = Modifier::Plain,
     .help = {HelpItem::PenColour, "F - Farbe:", ShowPenColour}, .act = NextPenColour},
    {.letter = 'F', .modifier = Modifier::Shift, .help = {HelpItem::PenColour},
     .act = PreviousPenColour},
    // + often needs Shift, as on a US keyboard, where it shares the key of =.
    {.letter = '+', .help = {HelpItem::PenThickness, "+/- - Dicke:", ShowPenThickness},
     .act = ThickerPen},
    {.scanCode = ScanNumpadPlus, .help = {HelpItem::PenThickness}, .act = ThickerPen},
    {.letter = '-', .help = {HelpItem::PenThickness}, .act = ThinnerPen},
    {.scanCode = ScanNumpadMinus, .help = {HelpItem::PenThickness}, .act = ThinnerPen},
    {.letter = 'K', .help = {HelpItem::PenShape, "K - Form:", ShowPenShape},
     .act = NextPenShape},
    {.letter = 'A', .modifier = Modifier::Plain,
     .help = {HelpItem::ApplyStyle, "A - Stil anwenden"}, .act = ApplyPenToBone},
    {.letter = 'A', .modifier = Modifier::Shift, .help = {HelpItem::ApplyStyle},
     .act = TakeStyleFromBone},
    // The label reaches past where values stand, and the scene behind shows the ground anyway.
    {.letter = 'B', .modifier = Modifier::Plain, .help = {HelpItem::Ground, "B - Hintergrund"},
     .act = NextGroundColour},
    {.letter = 'B', .modifier = Modifier::Shift, .help = {HelpItem::Ground},
     .act = PreviousGroundColour},
    {.letter = 'D', .modifier = Modifier::Plain,
     .help = {HelpItem::TurnFigure, "D - Figur drehen"},
     .trigger = Trigger::Held, .hold = HoldTurnFigure},
    {.letter = 'S', .modifier = Modifier::Plain,
     .help = {HelpItem::ScaleFigure, "S - Figur skalieren"},
     .trigger = Trigger::Held, .hold = HoldScaleFigure},
    {.letter = 'M', .modifier = Modifier::Plain,
     .help = {HelpItem::MirrorFigure, "M - Figur spiegeln"}, .act = MirrorFigureStep},
    {.letter = 'C', .modifier = Modifier::Plain,
     .help = {HelpItem::CopyFigure, "C - Figur kopieren"}, .act = CopyFigureStep},
    {.letter = 'L', .modifier = Modifier::Plain,
     .help = {HelpItem::DeleteFigure, "L - Figur l\xf6schen"}, .act = DeleteFigureStep},
    {.letter = 'V', .modifier = Modifier::Plain,
     .help = {HelpItem::FigureFrontOrBack, "V/H - Figur nach vorn/hinten"},
     .act = FigureToFrontStep},
    {.letter = 'H', .modifier = Modifier::Plain, .help = {HelpItem::FigureFrontOrBack},
     .act = FigureToBackStep},
    {.letter = 'G', .modifier = Modifier::Plain,
     .help = {HelpItem::SaveFigure, "G - Figur speichern"}, .act = SaveFigureUnderPointer},
    {.letter = 'O', .modifier = Modifier::Plain,
     .help = {HelpItem::InsertFigure, "O - Figur einf\xfc" "gen"}, .act = InsertFigureFromFile},
    {.letter = 'T', .modifier = Modifier::Plain,
     .help = {HelpItem::Sound, "T - Ton laden / Shift+T entfernen"}, .act = ChooseSound},
    {.letter = 'T', .modifier = Modifier::Shift, .help = {HelpItem::Sound}, .act = RemoveSound},
    {.letter = 'U', .help = {HelpItem::ImportMotion, "U - Bewegung importieren"},
     .act = ImportMotionKey},
    {.letter = 'N', .modifier = Modifier::Plain,
     .help = {HelpItem::PenEasing, "N - \xdc" "bergang:", ShowPenEasing}, .act = NextPenEasing},
    {.letter = 'N', .modifier = Modifier::Shift, .help = {HelpItem::PenEasing},
     .act = PreviousPenEasing},
    // Last, so that it sees the snapshot that the cycle ends with: the editor ends after the
    // cycle's picture is presented.
    {.scanCode = ScanEscape, .act = [] { endAsked = true; }},
};

// The strip's gestures before the scene's: a press that began in the scene stays the scene's.
const MouseGesture kMouseGestures[] = {
    // The strip: a click makes a frame current, with left Shift it selects up to it.
    {.key = ScanLeftShift, .follow = HandleStripMouse},
    // The left button drags a joint, with left Alt it moves the joint's figure.
    {.key = ScanLeftAlt, .follow = HandleLeftButton},
    {.follow = [](bool) { HandleRightButton(); }},
    {.help = {HelpItem::MoveFigure, "Mitteltaste - Figur bewegen"},
     .follow = [](bool) { HandleFigureButton(); }},
};
// clang-format on

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
    switch (command.trigger) {
    case Trigger::Press:
        HandlePress(command, row, presses);
        return;
    case Trigger::Held:
        command.hold(CommandDown(command, KeyOf(command)), KeyOf(command));
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

void HandleCommands(std::span<const Command> commands, CommandPresses* presses, During during) {
    presses->latches.resize(commands.size());
    presses->pressedBy.resize(kKeyCount);
    // A key let go and pressed again between two samples counts as seen up, once for the sample,
    // whichever rows of it run now.
    if (presses->sample != KeyboardSampleCount()) {
        presses->sample = KeyboardSampleCount();
        for (std::size_t row = 0; row < commands.size(); ++row) {
            int32_t scanCode = KeyOf(commands[row]);
            if (scanCode >= 0 && KeyPressedAgain(scanCode) != 0) {
                presses->latches[row] = 0;
                presses->pressedBy[scanCode] = 0;
            }
        }
    }
    for (std::size_t row = 0; row < commands.size(); ++row) {
        if (commands[row].during == during) {
            HandleCommand(commands[row], static_cast<int32_t>(row), presses);
        }
    }
}

void HandleCommandKeys() {
    endAsked = false;
    HandleCommands(kCommands, &editorPresses);
    ClearSelectionAwayFromCurrentFrame();
}

void ResetCommandKeys() {
    editorPresses = CommandPresses{};
    endAsked = false;
}

bool EndAsked() {
    return endAsked;
}

// Held rows act whatever the state, so their gestures need only the key and the modifier.
uint32_t HeldKeyGestures() {
    uint32_t gestures = 0;
    for (const Command& command : kCommands) {
        if (command.trigger == Trigger::Held && CommandDown(command, KeyOf(command))) {
            gestures |= command.gesture;
        }
    }
    return gestures;
}

std::span<const MouseGesture> MouseGestureTable() {
    return kMouseGestures;
}

void HandleMouseGestures(std::span<const MouseGesture> gestures) {
    for (const MouseGesture& gesture : gestures) {
        gesture.follow(gesture.key >= 0 && KeyDown(gesture.key));
    }
}

void HandleMouseButtons() {
    HandleMouseGestures(kMouseGestures);
}

// The first row that names an item with a text gives its line; the lines are drawn from the top
// down, in the order of the items. Cleared, the vector keeps its room, so a cycle allocates
// nothing.
void FillHelpLines(std::span<const Command> commands, std::span<const MouseGesture> gestures,
                   const EditorState& state, std::vector<HelpLine>* lines) {
    lines->clear();
    auto fill = [&](const HelpEntry& help) {
        if (help.text == nullptr || help.item == HelpItem::None) {
            return;
        }
        auto place = static_cast<std::size_t>(help.item);
        if (lines->size() <= place) {
            lines->resize(place + 1);
        }
        HelpLine& line = (*lines)[place];
        if (line.text != nullptr) {
            return;
        }
        line.text = help.text;
        if (help.value != nullptr) {
            help.value(state, &line.value);
        }
    };
    for (const Command& command : commands) {
        fill(command.help);
    }
    for (const MouseGesture& gesture : gestures) {
        fill(gesture.help);
    }
}

namespace {

std::vector<HelpLine> editorLines;

std::span<const HelpLine> EditorHelpLines() {
    FillHelpLines(kCommands, kMouseGestures, editor, &editorLines);
    return editorLines;
}

} // namespace

OverlayView EditorOverlayView() {
    OverlayView view;
    view.frame = editor.session.currentFrame;
    view.helpVisible = editor.session.helpVisible;
    view.helpPage = editor.session.helpPage;
    view.lines = EditorHelpLines();
    view.font = FontHandle(editor.session.hudFont);
    return view;
}

int32_t EditorHelpPageCount() {
    return HelpPageCount(EditorHelpLines(), EditorSceneHeight());
}

void DrawEditorOverlay() {
    DrawHelpOverlay(EditorOverlayView(), EditorSceneTarget());
}
