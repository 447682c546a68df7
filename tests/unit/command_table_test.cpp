// The command table's dispatch on the headless keyboard: each row of the editor's table, with its
// procedures swapped for counters, is pressed through its own key and modifier; rows of letters
// follow the keyboard layout; a press belongs to one row; help lines are drawn from the rows.
#include "editor/command_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "support/drawing_session.h"
#include "support/scripted_session.h"

namespace {

constexpr int32_t kMaxRows = 64;

// What the swapped procedures of row N saw: commands run, and holds told the key is down or up.
struct Calls {
    int32_t acts = 0;
    int32_t heldDown = 0;
    int32_t heldUp = 0;
};
std::array<Calls, kMaxRows> calls;

template <std::size_t Row> void CountAct() {
    calls[Row].acts += 1;
}
template <std::size_t Row> void CountHold(bool down) {
    (down ? calls[Row].heldDown : calls[Row].heldUp) += 1;
}
template <std::size_t Row> void CountHeldKey(bool down, int32_t /*key*/) {
    CountHold<Row>(down);
}
template <std::size_t... Rows>
constexpr std::array<void (*)(bool, int32_t), kMaxRows>
HeldKeyCounters(std::index_sequence<Rows...>) {
    return {CountHeldKey<Rows>...};
}
template <std::size_t... Rows>
constexpr std::array<void (*)(), kMaxRows> ActCounters(std::index_sequence<Rows...>) {
    return {CountAct<Rows>...};
}
template <std::size_t... Rows>
constexpr std::array<void (*)(bool), kMaxRows> HoldCounters(std::index_sequence<Rows...>) {
    return {CountHold<Rows>...};
}
constexpr auto kActCounters = ActCounters(std::make_index_sequence<kMaxRows>());
constexpr auto kHoldCounters = HoldCounters(std::make_index_sequence<kMaxRows>());
constexpr auto kHeldKeyCounters = HeldKeyCounters(std::make_index_sequence<kMaxRows>());

// The rows with their procedures swapped for the counters, and with no condition on acting.
std::vector<Command> Counted(std::span<const Command> rows) {
    std::vector<Command> counted(rows.begin(), rows.end());
    for (std::size_t row = 0; row < counted.size(); ++row) {
        Command& command = counted[row];
        command.act = command.act != nullptr ? kActCounters[row] : nullptr;
        command.hold = command.hold != nullptr ? kHeldKeyCounters[row] : nullptr;
        command.enabled = nullptr;
    }
    return counted;
}

class CommandTableTest : public ScriptedSession {
  protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        calls = {};
    }
    // One cycle of the table's rows of `during` on the keys held now.
    void Dispatch(std::span<const Command> rows, During during = During::Editing) {
        SampleKeyboard();
        HandleCommands(rows, &presses, during);
    }
    static int32_t KeyOf(const Command& row) {
        return row.letter != 0 ? ScanCodeOfLetter(row.letter) : row.scanCode;
    }
    static int32_t ModifierKey(Modifier modifier) {
        return modifier == Modifier::Ctrl    ? ScanRightCtrl
               : modifier == Modifier::Shift ? ScanRightShift
                                             : -1;
    }
    CommandPresses presses;
};

TEST_F(CommandTableTest, EveryRowsKeyHeldForThreeCyclesReachesOnlyItsOwnProcedureAsItsTriggerSays) {
    ASSERT_LE(CommandTable().size(), static_cast<std::size_t>(kMaxRows));
    std::vector<Command> rows = Counted(CommandTable());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const Command& command = rows[row];
        SCOPED_TRACE(command.help.text != nullptr ? std::string(command.help.text)
                                                  : "row " + std::to_string(row));
        calls = {};
        int32_t key = KeyOf(command);
        ASSERT_GE(key, 0);
        int32_t modifier = ModifierKey(command.modifier);
        if (modifier >= 0) {
            Hold(modifier);
        }
        Hold(key);
        for (int cycle = 0; cycle < 3; ++cycle) {
            Dispatch(rows, command.during);
        }
        Release(key);
        Dispatch(rows, command.during);
        if (modifier >= 0) {
            Release(modifier);
        }
        Calls expected;
        switch (command.trigger) {
        case Trigger::Press:
            expected.acts = 1;
            break;
        case Trigger::Repeat:
            expected.acts = 3;
            break;
        case Trigger::Held:
            expected.heldDown = 3;
            expected.heldUp = 1;
            break;
        }
        EXPECT_EQ(calls[row].acts, expected.acts);
        EXPECT_EQ(calls[row].heldDown, expected.heldDown);
        EXPECT_EQ(calls[row].heldUp, expected.heldUp);
        for (std::size_t other = 0; other < rows.size(); ++other) {
            if (other != row) {
                EXPECT_EQ(calls[other].acts + calls[other].heldDown, 0) << "row " << other;
            }
        }
    }
}

// A press is the key going down, or its chord completing; it counts for the first row it matches.
TEST_F(CommandTableTest, ModifiersLettersAndTheLayoutDecideWhichRowAPressReaches) {
    const Command plainF{.letter = 'F', .modifier = Modifier::Plain, .act = kActCounters[0]};
    const Command shiftF{.letter = 'F', .modifier = Modifier::Shift, .act = kActCounters[1]};
    const Command ctrlZ{.letter = 'Z', .modifier = Modifier::Ctrl, .act = kActCounters[2]};
    const Command anyX{.scanCode = ScanX, .act = kActCounters[3]};
    const std::vector<Command> rows = {plainF, shiftF, ctrlZ, anyX};
    struct Step {
        std::vector<int32_t> down; // the keys held in this cycle
        std::array<int32_t, 4> acts;
    };
    struct Case {
        const char* name;
        std::vector<std::pair<char, int32_t>> layout;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"F alone, then Shift+F, each once",
         {},
         {{{ScanF}, {1, 0, 0, 0}},
          {{}, {1, 0, 0, 0}},
          {{ScanLeftShift, ScanF}, {1, 1, 0, 0}},
          {{ScanRightShift, ScanF}, {1, 1, 0, 0}}}},
        {"Shift let go while F stays down is no F",
         {},
         {{{ScanRightShift, ScanF}, {0, 1, 0, 0}},
          {{ScanF}, {0, 1, 0, 0}},
          {{}, {0, 1, 0, 0}},
          {{ScanF}, {1, 1, 0, 0}}}},
        {"Ctrl+F is neither", {}, {{{ScanLeftCtrl, ScanF}, {0, 0, 0, 0}}}},
        {"X acts with any modifier", {}, {{{ScanLeftCtrl, ScanLeftShift, ScanX}, {0, 0, 0, 1}}}},
        {"Ctrl pressed again over a held Z is another press",
         {},
         {{{ScanLeftCtrl, ScanZ}, {0, 0, 1, 0}},
          {{ScanZ}, {0, 0, 1, 0}},
          {{ScanRightCtrl, ScanZ}, {0, 0, 2, 0}}}},
        {"a German layout: Z where a US keyboard has Y",
         {{'Z', ScanY}, {'Y', ScanZ}},
         {{{ScanLeftCtrl, ScanZ}, {0, 0, 0, 0}}, {{ScanLeftCtrl, ScanY}, {0, 0, 1, 0}}}},
        {"a layout that puts F on the key of X: F does not press X too",
         {{'F', ScanX}},
         {{{ScanX}, {1, 0, 0, 0}}, {{}, {1, 0, 0, 0}}, {{ScanF}, {1, 0, 0, 0}}}},
        {"a layout without F", {{'F', -1}}, {{{ScanF}, {0, 0, 0, 0}}}},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::vector<std::pair<char, int32_t>> usLayout;
        for (auto [letter, scanCode] : testCase.layout) {
            usLayout.emplace_back(letter, ScanCodeOfLetter(letter));
            HeadlessSetLetterKey(letter, scanCode);
        }
        presses = CommandPresses{};
        calls = {};
        for (std::size_t index = 0; index < testCase.steps.size(); ++index) {
            const Step& step = testCase.steps[index];
            // Keys held in the step before and in this one stay down in between.
            for (int32_t key = 0; key < 256; ++key) {
                HeadlessSetKey(key, std::ranges::count(step.down, key) > 0);
            }
            Dispatch(rows);
            for (std::size_t row = 0; row < rows.size(); ++row) {
                EXPECT_EQ(calls[row].acts, step.acts[row]) << "step " << index << ", row " << row;
            }
        }
        for (auto [letter, scanCode] : usLayout) {
            HeadlessSetLetterKey(letter, scanCode);
        }
    }
}

// The rows themselves: each has the procedure its trigger calls, no key and modifier is taken
// twice where it is looked at, and each line of the help list has its text on one row exactly.
TEST_F(CommandTableTest, EditorsRowsAreCompleteAndTheirKeysAndHelpLinesDistinct) {
    std::set<std::tuple<int32_t, char, Modifier, During>> keys;
    std::map<HelpItem, int32_t> texts;
    std::set<HelpItem> named;
    auto note = [&](const HelpEntry& help) {
        EXPECT_EQ(help.value != nullptr && help.text == nullptr, false) << "a value needs a text";
        if (help.item == HelpItem::None) {
            EXPECT_EQ(help.text, nullptr);
            return;
        }
        named.insert(help.item);
        texts[help.item] += help.text != nullptr ? 1 : 0;
    };
    for (const Command& command : CommandTable()) {
        SCOPED_TRACE(command.help.text != nullptr ? command.help.text : "unlisted");
        EXPECT_EQ(command.trigger == Trigger::Held, command.hold != nullptr);
        EXPECT_EQ(command.trigger != Trigger::Held, command.act != nullptr);
        EXPECT_TRUE(command.gesture == 0 || command.trigger == Trigger::Held);
        EXPECT_TRUE(
            keys.insert({command.scanCode, command.letter, command.modifier, command.during})
                .second);
        EXPECT_TRUE(command.during == During::Editing || command.help.item == HelpItem::None);
        note(command.help);
    }
    std::set<int32_t> gestureKeys;
    for (const MouseGesture& gesture : MouseGestureTable()) {
        EXPECT_NE(gesture.follow, nullptr);
        EXPECT_TRUE(gesture.key < 0 || gestureKeys.insert(gesture.key).second);
        note(gesture.help);
    }
    // Every item up to the last is some row's, but the gap, which stays empty.
    ASSERT_FALSE(named.empty());
    for (int32_t item = 0; item <= static_cast<int32_t>(*named.rbegin()); ++item) {
        bool gap = static_cast<HelpItem>(item) == HelpItem::Gap;
        EXPECT_EQ(texts[static_cast<HelpItem>(item)], gap ? 0 : 1) << "help item " << item;
        EXPECT_EQ(named.count(static_cast<HelpItem>(item)), gap ? 0u : 1u) << "help item " << item;
    }
}

// Each gesture is told whether its own key is down, and only its own.
TEST_F(CommandTableTest, EveryGesturesKeyReachesOnlyItsOwnGesture) {
    std::vector<MouseGesture> gestures(MouseGestureTable().begin(), MouseGestureTable().end());
    ASSERT_LE(gestures.size(), static_cast<std::size_t>(kMaxRows));
    for (std::size_t row = 0; row < gestures.size(); ++row) {
        gestures[row].follow = kHoldCounters[row];
    }
    for (std::size_t row = 0; row < gestures.size(); ++row) {
        if (gestures[row].key < 0) {
            continue;
        }
        calls = {};
        Hold(gestures[row].key);
        SampleKeyboard();
        HandleMouseGestures(gestures);
        Release(gestures[row].key);
        for (std::size_t other = 0; other < gestures.size(); ++other) {
            EXPECT_EQ(calls[other].heldDown, other == row ? 1 : 0) << row << " " << other;
            EXPECT_EQ(calls[other].heldUp, other == row ? 0 : 1) << row << " " << other;
        }
    }
}

// A row's value is drawn after its label at x = 70: a framed swatch and then the text beside it.
TEST(CommandHelpLines, ValueWithASwatchStandsAfterItsLabelOnTheRowsLine) {
    DrawingSession session;
    ASSERT_TRUE(session.opened);
    const int32_t background = PackColour(20, 20, 20);
    const int32_t grey = PackColour(155, 155, 155);
    const int32_t swatch = PackColour(255, 128, 0);
    const int32_t lime = PackColour(187, 255, 0);
    const Command rows[] = {
        {.scanCode = ScanF,
         .help = {HelpItem::PenColour, "F - Farbe:",
                  [](const EditorState&, HelpValue* value) {
                      value->swatch = PackColour(255, 128, 0);
                      SetHelpValueText(value, "FF8000", PackColour(187, 255, 0));
                  }},
         .act = kActCounters[0]},
    };
    std::vector<HelpLine> lines;
    FillHelpLines(rows, {}, editor, &lines);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(HelpItem::PenColour) + 1);
    OverlayView view;
    view.helpVisible = 1;
    view.lines = lines;
    view.font = FontHandle(editor.session.hudFont);
    SurfaceClear(background);
    DrawHelpOverlay(view, SurfaceDrawTarget());
    std::vector<int32_t> drawn = SurfaceSnapshot();

    const int32_t kTop = 24 + static_cast<int32_t>(HelpItem::PenColour) * 12;
    SurfaceClear(background);
    DrawingBegin(SurfaceDrawTarget());
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(FontHandle(editor.session.hudFont));
    DrawTextAt(1, 1, "Frame 0", lime);
    DrawTextAt(1, kTop, "F - Farbe:", grey);
    DrawBox(70, kTop + 1, 16, 9, grey);
    DrawBox(71, kTop + 2, 14, 7, swatch);
    DrawTextAt(90, kTop, "FF8000", lime);
    DrawingEnd();
    EXPECT_EQ(drawn, SurfaceSnapshot());
    EXPECT_EQ(CountColour(swatch, {71, kTop + 2, 85, kTop + 9}), 14 * 7);
}

} // namespace
