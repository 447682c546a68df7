// The command table: one row per command key, naming the key (by its position, or by the letter
// the keyboard layout prints on it) with its modifier, the help line that lists it, when it acts
// and the procedure it calls. The main loop dispatches every command key from it and the help
// overlay draws its lines from it, so a key lives in one row.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "figure/help_overlay.h"
#include "model/editor_state.h"

// Press: once when the key goes down, again only after it was seen up. Held: every cycle, told
// whether the key is down (the key acts on its release too). Repeat: every cycle while it is down.
enum class Trigger : int8_t { Press, Held, Repeat };

// Any: whatever modifiers are down, as the keys described from the start act. Plain: neither Ctrl
// nor Shift down, so that a Shift row of the same key can stand beside it. Shift: either Shift key
// without Ctrl. Ctrl: either Ctrl key.
enum class Modifier : int8_t { Any, Plain, Shift, Ctrl };

struct Command {
    int32_t scanCode = -1; // the key's position (a ScanCode), unless `letter` names it
    char letter = 0;       // 'A' to 'Z', '+' or '-': the key that the layout labels with it
    Modifier modifier = Modifier::Any;
    const char* help = nullptr; // the help line's text; null for a key the list leaves out
    int32_t helpLine = -1;      // its place in the list; keys listed together share one line
    // The value shown after the help text, from the state it describes; null for none.
    void (*value)(const EditorState& state, HelpValue* value) = nullptr;
    Trigger trigger = Trigger::Press;
    void (*act)() = nullptr;           // Press and Repeat
    void (*hold)(bool down) = nullptr; // Held
    bool (*enabled)() = nullptr;       // Press: whether the key acts now; a key that may not
                                       // neither acts nor counts as pressed. Null: always
    // A line for a gesture of the mouse, which the main loop follows: no key and no procedure.
    bool mouseOnly = false;
};

// The editor's commands, in the order in which they act within a cycle.
std::span<const Command> CommandTable();
// The key of the row whose Held procedure is `hold`, as the keyboard layout places it now; -1 when
// no row holds it or the layout has no such key.
int32_t HeldKeyOf(void (*hold)(bool down));

// What the table's press keys remember between cycles: one latch per row, and the row that took
// each key's press, so that a press counts for one row only (Shift+F let go of Shift is no F).
struct CommandPresses {
    std::vector<int32_t> latches;
    std::vector<int32_t> pressedBy; // by scan code: row + 1, or 0
};

// Runs the commands of one cycle against the keyboard snapshot, row by row. A press key's latch
// is set by its press and cleared once the key is seen up, read again after the command (which
// may have taken a new snapshot).
void HandleCommands(std::span<const Command> commands, CommandPresses* presses);
// The editor's cycle: the table's commands, then a selection that lost the current frame ends.
void HandleCommandKeys();
// Forgets every press: the keys of a new start-up.
void ResetCommandKeys();

// The table's help lines, the values shown from `state`, one line per place; returns how many.
int32_t FillHelpLines(std::span<const Command> commands, const EditorState& state,
                      std::span<HelpLine> lines);
// What the overlay shows now, with the lines from the table, and the overlay drawn over the scene.
OverlayView EditorOverlayView();
void DrawEditorOverlay();
