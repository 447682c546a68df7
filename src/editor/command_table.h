// The command table: one row per key, naming the key (by its position, or by the letter the
// keyboard layout prints on it) with its modifier, the help line that lists it, when it acts and
// the procedure it calls; beside it the table of the mouse's gestures, with the key that changes
// each. The main loop, playback and the video export dispatch every key from them and the help
// overlay draws its lines from them, so a key lives in one row.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "figure/help_overlay.h"
#include "model/editor_state.h"

// The help list's lines from the top down: a line stands at its place here, so that a line put in
// between moves those below it. Each is named for what its keys do; Gap stays empty.
enum class HelpItem : int8_t {
    None = -1, // a key or gesture the list leaves out
    NewJoint,
    StaticJoint,
    Box,
    ResetAll,
    MoveAll,
    FreeJoints,
    Gap, // between the editing keys and the function keys
    BoneMode,
    Shadow,
    Collision,
    Head,
    FrameBack,
    FrameForward,
    Load,
    Save,
    Export,
    CopyPrevious,
    Play,
    Undo,
    Redo,
    Inbetweens,
    InsertFrame,
    DeleteFrame,
    MoveFrame,
    FirstOrLastFrame,
    Reverse,
    Videos,
    PenColour,
    PenThickness,
    PenShape,
    ApplyStyle,
    Ground,
    MoveFigure,
    TurnFigure,
    ScaleFigure,
    MirrorFigure,
    CopyFigure,
    DeleteFigure,
    FigureFrontOrBack,
    SaveFigure,
    InsertFigure,
    Sound,
    ImportMotion,
    PenEasing,
};

// Where a row stands in the help list. Rows listed on one line name the same item; one of them
// carries the text, and the value shown after it from the state it describes (null: none).
struct HelpEntry {
    HelpItem item = HelpItem::None;
    const char* text = nullptr;
    void (*value)(const EditorState& state, HelpValue* value) = nullptr;
};

// Press: once when the key goes down, again only after it was seen up. Held: every cycle, told
// whether the key is down (the key acts on its release too). Repeat: every cycle while it is down.
enum class Trigger : int8_t { Press, Held, Repeat };

// Any: whatever modifiers are down, as the keys described from the start act. Plain: neither Ctrl
// nor Shift down, so that a Shift row of the same key can stand beside it. Shift: either Shift key
// without Ctrl. Ctrl: either Ctrl key.
enum class Modifier : int8_t { Any, Plain, Shift, Ctrl };

// When a row's key is looked at: in the editor's cycle, or in the loop in which playback or the
// window's video export holds that cycle (with keyboard snapshots of its own).
enum class During : int8_t { Editing, Playback, VideoExport };

struct Command {
    int32_t scanCode = -1; // the key's position (a ScanCode), unless `letter` names it
    char letter = 0;       // 'A' to 'Z', '+' or '-': the key that the layout labels with it
    Modifier modifier = Modifier::Any;
    HelpEntry help = {};
    Trigger trigger = Trigger::Press;
    void (*act)() = nullptr;                        // Press and Repeat
    void (*hold)(bool down, int32_t key) = nullptr; // Held: down, and the scan code of its key
    bool (*enabled)() = nullptr; // Press: whether the key acts now; a key that may not
                                 // neither acts nor counts as pressed. Null: always
    During during = During::Editing;
    uint32_t gesture = 0; // Held: the undo gesture (UndoGesture bits) that the key makes while down
};

// The editor's commands, in the order in which they act within a cycle.
std::span<const Command> CommandTable();

// What the table's press keys remember between cycles: one latch per row, and the row that took
// each key's press, so that a press counts for one row only (Shift+F let go of Shift is no F, and
// the F12 that started playback is not also the one that stops it).
struct CommandPresses {
    std::vector<int32_t> latches;
    std::vector<int32_t> pressedBy; // by scan code: row + 1, or 0
    int64_t sample = -1;            // the keyboard sample whose presses again were taken
};

// Runs the commands of `during` against the keyboard snapshot, row by row. A press key's latch is
// set by its press and cleared once the key is seen up, read again after the command (which may
// have taken a new snapshot).
void HandleCommands(std::span<const Command> commands, CommandPresses* presses,
                    During during = During::Editing);
// The editor's cycle: the table's commands, then a selection that lost the current frame ends.
void HandleCommandKeys();
// Forgets every press, and Escape: the keys of a new start-up.
void ResetCommandKeys();
// Whether Escape was pressed in the cycle's command keys: the editor ends after that cycle.
bool EndAsked();
// The undo gestures of the held keys down in the snapshot now.
uint32_t HeldKeyGestures();

// A gesture of the mouse, followed once per cycle by its procedure (which reads its button),
// told whether the key that changes it is down (-1: none).
struct MouseGesture {
    int32_t key = -1; // a ScanCode
    HelpEntry help = {};
    void (*follow)(bool keyDown) = nullptr;
};

// The mouse's gestures, in the order in which they are followed within a cycle.
std::span<const MouseGesture> MouseGestureTable();
void HandleMouseGestures(std::span<const MouseGesture> gestures);
// The editor's cycle: the strip's and the scene's gestures, before the command keys.
void HandleMouseButtons();

// The help list of the rows of both tables into `lines`, the values shown from `state`: one line
// per item up to the last one named, an item that no row names left empty.
void FillHelpLines(std::span<const Command> commands, std::span<const MouseGesture> gestures,
                   const EditorState& state, std::vector<HelpLine>* lines);
// What the overlay shows now, with the lines from the tables, and the overlay drawn over the scene.
OverlayView EditorOverlayView();
// The pages the editor's help list takes in the scene as tall as it is now.
int32_t EditorHelpPageCount();
void DrawEditorOverlay();
