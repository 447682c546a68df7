// The strip's mouse: presses are noted where they began (where the button went down, even when
// the pointer moved on before the cycle looked) and acted on at release, so that a press on a
// cell can become a click or a drag.
#include "editor/timeline_mouse.h"

#include <algorithm>
#include <iterator>

#include "editor/timeline.h"
#include "figure/timeline_strip.h"
#include "model/editor_state.h"
#include "runtime/input.h"

namespace {

constexpr int32_t kCursorWindow = 0;
constexpr int32_t kOnionLimit = 5;
constexpr int32_t kPlaybackRates[] = {1, 2, 4, 5, 8, 10, 12, 15, 20, 24, 25, 30, 40};

struct StripPress {
    bool held = false;
    StripHit hit;
    int32_t frame = -1;
    bool shift = false;
};

StripPress left;
bool rightHeld = false;

int32_t ShownFirstFrame() {
    if (editor.session.stripScrolledAt == editor.session.currentFrame) {
        return editor.session.stripFirstFrame;
    }
    return StripFirstFrameFor(editor.session.currentFrame, editor.animation.maxFrame);
}

void StepCount(StripItem item, int32_t steps) {
    switch (item) {
    case StripItem::OnionBack:
        editor.session.onionBack = std::clamp(editor.session.onionBack + steps, 0, kOnionLimit);
        return;
    case StripItem::OnionAhead:
        editor.session.onionAhead = std::clamp(editor.session.onionAhead + steps, 0, kOnionLimit);
        return;
    case StripItem::Rate:
        editor.animation.playbackRate = NextPlaybackRate(editor.animation.playbackRate, steps);
        return;
    case StripItem::None:
    case StripItem::Cell:
        return;
    }
}

void Scroll(int32_t notches) {
    int32_t last = std::max(editor.animation.maxFrame + 1 - kStripCells, 0);
    editor.session.stripFirstFrame = std::clamp(ShownFirstFrame() - notches, 0, last);
    editor.session.stripScrolledAt = editor.session.currentFrame;
}

// A drag moves the run the pressed frame belongs to by as many frames as the pointer went; the
// moved frames stay selected, a single frame too.
void Drop(int32_t frame) {
    bool inSelection = HasSelection(editor.session) &&
                       left.frame >= editor.session.selectionFirst &&
                       left.frame <= editor.session.selectionLast;
    if (!inSelection) {
        ClearSelection();
        GoToFrame(left.frame);
    }
    if (MoveRunTo(CurrentRun().first + frame - left.frame) && !inSelection) {
        SelectToFrame(editor.session.currentFrame);
    }
}

void Release(int32_t x, int32_t y) {
    left.held = false;
    if (left.hit.item != StripItem::Cell) {
        return;
    }
    StripHit hit = CursorOverStrip() ? StripItemAt(x, y) : StripHit{};
    if (hit.item != StripItem::Cell) {
        return;
    }
    int32_t frame = ShownFirstFrame() + hit.cell;
    if (frame != left.frame) {
        Drop(frame);
    } else if (left.shift) {
        SelectToFrame(frame);
    } else {
        ClearSelection();
        GoToFrame(frame);
    }
}

bool OnStrip(ClientPoint point) {
    return point.y >= kStripTop && point.x >= 0;
}

void HandleLeft(int32_t x, int32_t y, bool shiftDown) {
    bool down = MouseButtonPressed(MouseLeft) != 0;
    ClientPoint press = MousePressPosition(kCursorWindow, MouseLeft);
    // A press that began in the scene (a joint dragged down here) is the scene's.
    if (down && !left.held && editor.session.mouseLatch == 0 && OnStrip(press)) {
        left.held = true;
        left.hit = StripItemAt(press.x, press.y);
        left.frame = ShownFirstFrame() + left.hit.cell;
        left.shift = shiftDown;
        StepCount(left.hit.item, 1);
        if (left.hit.item == StripItem::Cell && !editor.animation.IsFrame(left.frame)) {
            left.hit = StripHit{};
        }
    } else if (!down && left.held) {
        Release(x, y);
    }
}

void HandleRight() {
    bool down = MouseButtonPressed(MouseRight) != 0;
    if (down && !rightHeld && editor.session.boneStartJoint < 0) {
        ClientPoint press = MousePressPosition(kCursorWindow, MouseRight);
        StepCount(StripItemAt(press.x, press.y).item, -1);
    }
    rightHeld = down;
}

} // namespace

bool CursorOverStrip() {
    return OnStrip(ClientPoint{WindowCursorX(kCursorWindow), WindowCursorY(kCursorWindow)});
}

int32_t NextPlaybackRate(int32_t rate, int32_t steps) {
    const int32_t* found =
        std::lower_bound(std::begin(kPlaybackRates), std::end(kPlaybackRates), rate);
    auto index = static_cast<int32_t>(found - std::begin(kPlaybackRates));
    int32_t last = static_cast<int32_t>(std::size(kPlaybackRates)) - 1;
    return kPlaybackRates[std::clamp(index + steps, 0, last)];
}

void HandleStripMouse(bool shiftDown) {
    bool over = CursorOverStrip();
    int32_t notches = MouseWheelNotches();
    bool pressedHere = OnStrip(MousePressPosition(kCursorWindow, MouseLeft)) ||
                       OnStrip(MousePressPosition(kCursorWindow, MouseRight));
    if (!over && !pressedHere && !left.held && !rightHeld) {
        return;
    }
    int32_t x = WindowCursorX(kCursorWindow);
    int32_t y = WindowCursorY(kCursorWindow);
    if (over && notches != 0) {
        Scroll(notches);
    }
    HandleLeft(x, y, shiftDown);
    HandleRight();
}
