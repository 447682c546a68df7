// The headless backend: windows that exist only as records, input scripted cycle by cycle, queued
// messages, an injected clock and the presented frames, all in one state that tests reset. The
// requesters keep their scripted answers beside it (backend_headless_dialogs.cpp).
#include <algorithm>
#include <array>
#include <deque>
#include <string>
#include <vector>

#include "runtime/headless.h"
#include "runtime/input.h"
#include "runtime/picture_scaling.h"
#include "runtime/platform.h"

namespace {

constexpr int64_t kCounterFrequency = 10'000'000; // ticks per second
constexpr int64_t kDefaultCounterReadStep = 100;  // 10 microseconds
constexpr int64_t kMicrosecondsPerSecond = 1'000'000;
constexpr std::size_t kDefaultKeptFrames = 16;
constexpr PlatformWindow kFirstWindowHandle = 0x1000; // unlike any window number a test uses

// A window shows a picture of pictureWidth x pictureHeight scaled to its own size.
struct HeadlessWindow {
    PlatformWindow handle;
    std::string title;
    int32_t pictureWidth;
    int32_t pictureHeight;
    int32_t width;
    int32_t height;
};

struct QueuedMessage {
    PlatformMessageKind kind;
    int32_t code;
};

// The key labelled with each letter on a US keyboard, 'A' first, then + (on the = key) and -.
constexpr std::array<int32_t, 28> kUsLetterKeys = {
    ScanA, ScanB, ScanC, ScanD, ScanE, ScanF, ScanG,      ScanH,     ScanI, ScanJ,
    ScanK, ScanL, ScanM, ScanN, ScanO, ScanP, ScanQ,      ScanR,     ScanS, ScanT,
    ScanU, ScanV, ScanW, ScanX, ScanY, ScanZ, ScanEquals, ScanMinus,
};
int32_t LetterIndex(char letter) {
    return letter >= 'A' && letter <= 'Z' ? letter - 'A'
           : letter == '+'                ? 26
           : letter == '-'                ? 27
                                          : -1;
}

// Where the pointer was when a button or key went down: a button's lasts until a present finds
// it up with no click left to report, a key's while it is held.
struct PressPoint {
    bool known = false;
    int32_t x = 0; // the window's own pixels, as the cursor is scripted
    int32_t y = 0;
};

struct HeadlessState {
    std::vector<HeadlessWindow> windows;
    PlatformWindow nextHandle = kFirstWindowHandle;
    HeadlessInput input;
    std::deque<HeadlessInput> inputQueue;
    std::deque<QueuedMessage> messages;
    int64_t clock = 0;
    int64_t counterReadStep = kDefaultCounterReadStep;
    int64_t sleptMicroseconds = 0;
    std::vector<HeadlessFrame> frames;
    std::size_t keptFrames = kDefaultKeptFrames;
    int64_t presentCount = 0;
    int32_t repaintCount = 0;
    int64_t presentsPastScriptLeft = 0;
    void (*runaway)() = nullptr; // called by each present past the bound
    void (*presentObserver)() = nullptr;
    PlatformFailure scriptedFailure = PlatformFailureNone;
    PlatformFailure lastFailure = PlatformFailureNone;
    std::array<int32_t, 28> letterKeys = kUsLetterKeys;
    int32_t displayWidth = 0; // the usable area windows open in; 0: they open at 1:1
    int32_t displayHeight = 0;
    // The input as last noticed, to tell which buttons and keys have gone down since.
    int32_t noticedButtons = 0;
    int32_t noticedPresses = 0;
    std::array<bool, 256> noticedKeys = {};
    std::array<PressPoint, 3> buttonPresses = {}; // by the button's bit position
    std::array<PressPoint, 256> keyPresses = {};
    std::array<bool, 256> keysWentDown = {}; // since the keyboard was last read
};

HeadlessState& State() {
    static HeadlessState state;
    return state;
}

HeadlessWindow* Find(PlatformWindow window) {
    auto& windows = State().windows;
    auto found = std::find_if(windows.begin(), windows.end(), [window](const HeadlessWindow& open) {
        return open.handle == window;
    });
    return found == windows.end() ? nullptr : &*found;
}

PictureFit FitOf(const HeadlessWindow& window) {
    return FitPicture(window.pictureWidth, window.pictureHeight, window.width, window.height);
}

bool IsOpen(PlatformWindow window) {
    const auto& windows = State().windows;
    return std::any_of(windows.begin(), windows.end(),
                       [window](const HeadlessWindow& open) { return open.handle == window; });
}

void DropOldFrames() {
    auto& frames = State().frames;
    if (frames.size() > State().keptFrames) {
        frames.erase(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(
                                                          frames.size() - State().keptFrames));
    }
}

// Notes where the buttons and keys that went down since the last look did so. The scripted input
// may be changed directly, so each look at it notices first.
void NoticePresses() {
    HeadlessState& state = State();
    HeadlessInput& input = state.input;
    PressPoint at{true, input.movedAfterPress ? input.pressX : input.cursorX,
                  input.movedAfterPress ? input.pressY : input.cursorY};
    bool pressed = false;
    int32_t down =
        ((input.buttons & ~state.noticedButtons) | (input.presses & ~state.noticedPresses));
    for (std::size_t bit = 0; bit < state.buttonPresses.size(); ++bit) {
        if ((down & 1 << bit) != 0) {
            state.buttonPresses[bit] = at;
            pressed = true;
        }
    }
    for (std::size_t key = 0; key < state.keyPresses.size(); ++key) {
        bool held = (input.keys[key] & 0x80) != 0;
        if (held && !state.noticedKeys[key]) {
            state.keyPresses[key] = at;
            state.keysWentDown[key] = true;
            pressed = true;
        } else if (!held) {
            state.keyPresses[key].known = false;
        }
        state.noticedKeys[key] = held;
    }
    state.noticedButtons = input.buttons;
    state.noticedPresses = input.presses;
    input.movedAfterPress = input.movedAfterPress && !pressed;
}

// At a present: the clicks the cycle saw are over, and the buttons let go.
void ForgetEndedPresses() {
    HeadlessState& state = State();
    for (std::size_t bit = 0; bit < state.buttonPresses.size(); ++bit) {
        if (((state.input.buttons | state.input.presses) & 1 << bit) == 0) {
            state.buttonPresses[bit].known = false;
        }
    }
}

int32_t PressPosition(PlatformWindow window, const PressPoint& press, int32_t* x, int32_t* y) {
    const HeadlessWindow* open = Find(window);
    if (open == nullptr || !press.known) {
        return 0;
    }
    MapToPicture(FitOf(*open), open->pictureWidth, open->pictureHeight, press.x, press.y, x, y);
    return 1;
}

void AdvanceClockMicroseconds(int64_t microseconds) {
    State().clock += microseconds * kCounterFrequency / kMicrosecondsPerSecond;
}

} // namespace

PlatformWindow PlatformWindowOpen(int32_t, int32_t, int32_t width, int32_t height,
                                  const char* title) {
    HeadlessState& state = State();
    state.lastFailure = state.scriptedFailure;
    if (width <= 0 || height <= 0 || state.scriptedFailure != PlatformFailureNone) {
        return 0;
    }
    PlatformWindow handle = state.nextHandle++;
    int32_t multiple = OpeningMultiple(width, height, state.displayWidth, state.displayHeight);
    state.windows.push_back(HeadlessWindow{handle, title == nullptr ? "" : title, width, height,
                                           width * multiple, height * multiple});
    return handle;
}

void PlatformWindowClose(PlatformWindow window) {
    auto& windows = State().windows;
    std::erase_if(windows, [window](const HeadlessWindow& open) { return open.handle == window; });
}

int32_t PlatformPollMessage(PlatformMessage* message) {
    HeadlessState& state = State();
    if (state.messages.empty()) {
        return 0;
    }
    QueuedMessage queued = state.messages.front();
    state.messages.pop_front();
    PlatformWindow window = state.windows.empty() ? 0 : state.windows.front().handle;
    *message = PlatformMessage{queued.kind, window, queued.code};
    return 1;
}

// Nothing arrives while waiting, so a wait with a limit only lets that much time pass.
int32_t PlatformWaitMessage(int32_t timeoutMilliseconds) {
    if (!State().messages.empty()) {
        return 1;
    }
    if (timeoutMilliseconds > 0) {
        AdvanceClockMicroseconds(static_cast<int64_t>(timeoutMilliseconds) * 1000);
    }
    return 0;
}

// Each present ends a cycle: the next scripted input comes into force.
void PlatformPresent(PlatformWindow window, const uint32_t* pixels, int32_t width, int32_t height) {
    HeadlessState& state = State();
    if (state.presentObserver != nullptr) {
        state.presentObserver();
    }
    NoticePresses();
    ForgetEndedPresses();
    if (!state.inputQueue.empty()) {
        state.input = state.inputQueue.front();
        state.inputQueue.pop_front();
        state.noticedPresses = 0; // the new state's presses are new
        NoticePresses();
    } else if (state.runaway != nullptr && --state.presentsPastScriptLeft < 0) {
        state.runaway();
    }
    if (!IsOpen(window) || pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    ++state.presentCount;
    if (state.keptFrames == 0) {
        return;
    }
    // The oldest frame's buffer is reused once the limit is reached.
    HeadlessFrame frame;
    if (state.frames.size() >= state.keptFrames) {
        frame = std::move(state.frames.front());
        state.frames.erase(state.frames.begin());
    }
    frame.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
    frame.width = width;
    frame.height = height;
    state.frames.push_back(std::move(frame));
}

void PlatformRepaint(PlatformWindow window) {
    if (IsOpen(window)) {
        ++State().repaintCount;
    }
}

int32_t PlatformReadKeyboard(PlatformWindow window, uint8_t snapshot[256]) {
    NoticePresses();
    const HeadlessInput& input = State().input;
    if (!IsOpen(window) || !input.focused) {
        return 0;
    }
    std::copy(std::begin(input.keys), std::end(input.keys), snapshot);
    for (std::size_t key = 0; key < State().keysWentDown.size(); ++key) {
        if (State().keysWentDown[key]) {
            snapshot[key] = static_cast<uint8_t>(snapshot[key] | 0x01);
        }
    }
    State().keysWentDown = {};
    return 1;
}

int32_t PlatformScanCodeOfLetter(char letter) {
    int32_t index = LetterIndex(letter);
    return index >= 0 ? State().letterKeys[static_cast<std::size_t>(index)] : -1;
}

int32_t PlatformCursorPosition(PlatformWindow window, int32_t* x, int32_t* y) {
    const HeadlessWindow* open = Find(window);
    if (open == nullptr) {
        return 0;
    }
    MapToPicture(FitOf(*open), open->pictureWidth, open->pictureHeight, State().input.cursorX,
                 State().input.cursorY, x, y);
    return 1;
}

int32_t PlatformMouseButtons() {
    return State().input.buttons & 7;
}

int32_t PlatformMousePresses() {
    NoticePresses();
    int32_t presses = State().input.presses & 7;
    State().input.presses = 0;
    State().noticedPresses = 0;
    return presses;
}

int32_t PlatformMousePressPosition(PlatformWindow window, int32_t button, int32_t* x, int32_t* y) {
    NoticePresses();
    int32_t bit = button == 1 ? 0 : button == 2 ? 1 : button == 4 ? 2 : -1;
    return bit >= 0 && PressPosition(window, State().buttonPresses[bit], x, y);
}

int32_t PlatformKeyPressPosition(PlatformWindow window, int32_t scanCode, int32_t* x, int32_t* y) {
    NoticePresses();
    return scanCode >= 0 && scanCode < 256 &&
           PressPosition(window, State().keyPresses[scanCode], x, y);
}

int32_t PlatformMouseWheel() {
    int32_t notches = State().input.wheel;
    State().input.wheel = 0;
    return notches;
}

int64_t PlatformCounter() {
    State().clock += State().counterReadStep;
    return State().clock;
}

int64_t PlatformCounterFrequency() {
    return kCounterFrequency;
}

void PlatformSleepMicroseconds(int64_t microseconds) {
    if (microseconds <= 0) {
        return;
    }
    State().sleptMicroseconds += microseconds;
    AdvanceClockMicroseconds(microseconds);
}

void PlatformSleepUntil(int64_t counter) {
    HeadlessState& state = State();
    if (counter > state.clock) {
        state.sleptMicroseconds +=
            (counter - state.clock) * kMicrosecondsPerSecond / kCounterFrequency;
        state.clock = counter;
    }
}

void HeadlessResetWindows() {
    State() = HeadlessState{};
}

HeadlessInput& HeadlessCurrentInput() {
    return State().input;
}
void HeadlessQueueInput(const HeadlessInput& input) {
    State().inputQueue.push_back(input);
}

void HeadlessSetKey(int32_t scanCode, bool down) {
    NoticePresses();
    if (scanCode >= 0 && scanCode < 256) {
        State().input.keys[scanCode] = down ? 0x80 : 0;
    }
}

void HeadlessSetLetterKey(char letter, int32_t scanCode) {
    int32_t index = LetterIndex(letter);
    if (index >= 0) {
        State().letterKeys[static_cast<std::size_t>(index)] = scanCode;
    }
}

void HeadlessSetCursor(int32_t x, int32_t y) {
    NoticePresses();
    State().input.cursorX = x;
    State().input.cursorY = y;
}

void HeadlessSetButtons(int32_t buttons) {
    NoticePresses();
    State().input.buttons = buttons;
}

void HeadlessFailWindows(PlatformFailure failure) {
    State().scriptedFailure = failure;
}

PlatformFailure HeadlessRequesterFailure() {
    HeadlessState& state = State();
    state.lastFailure = state.scriptedFailure == PlatformFailureNoDisplay ? PlatformFailureNoDisplay
                                                                          : PlatformFailureNone;
    return state.lastFailure;
}

PlatformFailure PlatformLastFailure(const char** detail) {
    *detail = State().lastFailure == PlatformFailureNone ? "" : "scripted failure";
    return State().lastFailure;
}

void HeadlessQueueMessage(PlatformMessageKind kind, int32_t code) {
    State().messages.push_back(QueuedMessage{kind, code});
}

int64_t HeadlessClockNow() {
    return State().clock;
}
void HeadlessSetCounterReadStep(int64_t ticks) {
    State().counterReadStep = std::max<int64_t>(ticks, 1);
}
int64_t HeadlessSleptMicroseconds() {
    return State().sleptMicroseconds;
}

void HeadlessOnPresent(void (*observer)()) {
    State().presentObserver = observer;
}

void HeadlessBoundPresentsPastScript(int64_t presents, void (*runaway)()) {
    State().presentsPastScriptLeft = presents;
    State().runaway = runaway;
}

const std::vector<HeadlessFrame>& HeadlessFrames() {
    return State().frames;
}

void HeadlessKeepFrames(std::size_t count) {
    State().keptFrames = count;
    DropOldFrames();
}

int64_t HeadlessPresentCount() {
    return State().presentCount;
}
int32_t HeadlessRepaintCount() {
    return State().repaintCount;
}
int32_t HeadlessOpenWindowCount() {
    return static_cast<int32_t>(State().windows.size());
}

void HeadlessSetDisplayArea(int32_t width, int32_t height) {
    State().displayWidth = width;
    State().displayHeight = height;
}

void HeadlessResizeWindow(int32_t width, int32_t height) {
    auto& windows = State().windows;
    if (!windows.empty() && width > 0 && height > 0) {
        windows.front().width = width;
        windows.front().height = height;
        HeadlessQueueMessage(PlatformMessageResized);
    }
}

int32_t HeadlessWindowSize(int32_t* width, int32_t* height) {
    const auto& windows = State().windows;
    if (windows.empty()) {
        return 0;
    }
    *width = windows.front().width;
    *height = windows.front().height;
    return 1;
}

HeadlessFrame HeadlessShownPicture() {
    HeadlessFrame shown;
    const HeadlessState& state = State();
    if (state.windows.empty() || state.frames.empty()) {
        return shown;
    }
    const HeadlessWindow& window = state.windows.front();
    const HeadlessFrame& picture = state.frames.back();
    shown.width = window.width;
    shown.height = window.height;
    shown.pixels.resize(static_cast<std::size_t>(shown.width) * shown.height);
    PictureFit fit = FitPicture(picture.width, picture.height, window.width, window.height);
    ScalePicture(picture.pixels.data(), picture.width, picture.height, shown.pixels.data(),
                 shown.width, shown.height, shown.width, fit);
    return shown;
}

std::string HeadlessWindowTitle() {
    const auto& windows = State().windows;
    return windows.empty() ? std::string() : windows.front().title;
}
