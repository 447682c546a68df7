// The browser backend: the page's canvas as the one window, the page's key and pointer events as
// the keyboard snapshot and the pointer, its high-resolution time as the counter. Sleeping hands
// control back to the browser (the build's ASYNCIFY unwinds and resumes the program), so the
// editor's own loops, pacing and pauses run as they are. The page (web/page.js) supplies
// Module.page, the functions called here; texts cross as UTF-8.
#include <emscripten.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/platform.h"

namespace {

struct KeyMapping {
    const char* code; // KeyboardEvent.code: the key's position, whatever the layout prints on it
    uint8_t scanCode;
};

// The keys the editor reads, then right Ctrl and the keys on which a layout may put a letter, so
// that Ctrl with the key that the layout labels Z or Y can be found in the snapshot.
constexpr KeyMapping kKeys[] = {
    {"Escape", 0x01},
    {"Digit1", 0x02},
    {"Tab", 0x0F},
    {"KeyW", 0x11},
    {"ControlLeft", 0x1D},
    {"ShiftLeft", 0x2A},
    {"KeyX", 0x2D},
    {"F1", 0x3B},
    {"F2", 0x3C},
    {"F3", 0x3D},
    {"F4", 0x3E},
    {"F5", 0x3F},
    {"F6", 0x40},
    {"F7", 0x41},
    {"F8", 0x42},
    {"F9", 0x43},
    {"F10", 0x44},
    {"F11", 0x57},
    {"F12", 0x58},
    {"Delete", 0xD3},
    {"KeyI", 0x17},
    {"Insert", 0xD2},
    {"Backspace", 0x0E},
    {"PageUp", 0xC9},
    {"PageDown", 0xD1},
    {"Home", 0xC7},
    {"End", 0xCF},
    {"NumpadAdd", 0x4E},
    {"NumpadSubtract", 0x4A},
    {"ControlRight", 0x9D},
    {"Minus", 0x0C},
    {"Equal", 0x0D},
    {"KeyQ", 0x10},
    {"KeyE", 0x12},
    {"KeyR", 0x13},
    {"KeyT", 0x14},
    {"KeyY", 0x15},
    {"KeyU", 0x16},
    {"KeyO", 0x18},
    {"KeyP", 0x19},
    {"BracketLeft", 0x1A},
    {"BracketRight", 0x1B},
    {"KeyA", 0x1E},
    {"KeyS", 0x1F},
    {"KeyD", 0x20},
    {"KeyF", 0x21},
    {"KeyG", 0x22},
    {"KeyH", 0x23},
    {"KeyJ", 0x24},
    {"KeyK", 0x25},
    {"KeyL", 0x26},
    {"Semicolon", 0x27},
    {"Quote", 0x28},
    {"Backquote", 0x29},
    {"Backslash", 0x2B},
    {"KeyZ", 0x2C},
    {"KeyC", 0x2E},
    {"KeyV", 0x2F},
    {"KeyB", 0x30},
    {"KeyN", 0x31},
    {"KeyM", 0x32},
    {"Comma", 0x33},
    {"Period", 0x34},
    {"Slash", 0x35},
    {"IntlBackslash", 0x56},
};
constexpr uint8_t kEscape = 0x01;
constexpr PlatformWindow kCanvas = 1;
constexpr int64_t kMicrosecondsPerSecond = 1'000'000;

struct Canvas {
    bool open = false;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> rgba; // the frame presented last, as the canvas takes it
};

Canvas canvas;
bool yieldedSincePresent = false;
// The program's own work in a cycle, for the page's figures: from the end of a present (workStart,
// -1 once stopped) to the first wait or present after it.
int64_t workSincePresent = 0;
int64_t workStart = -1;

} // namespace

// clang-format off
EM_JS(void, PageOpenCanvas, (int32_t width, int32_t height, const char* title), {
    Module.page.openCanvas(width, height, UTF8ToString(title));
});
EM_JS(void, PageCloseCanvas, (), { Module.page.closeCanvas(); });
EM_JS(void, PageShow, (const uint32_t* rgba, int32_t width, int32_t height, double workMs), {
    Module.page.show(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width,
                     height, workMs);
});
EM_JS(int32_t, PageKeyboardFocused, (), { return Module.page.keyboardFocused() ? 1 : 0; });
EM_JS(int32_t, PageEndRequested, (), { return Module.page.endRequested() ? 1 : 0; });
EM_JS(int32_t, PageKeyDown, (const char* code), {
    return Module.page.keyDown(UTF8ToString(code)) ? 1 : 0;
});
EM_JS(void, PageLetterKey, (int32_t letter, char* code, int32_t capacity), {
    stringToUTF8(Module.page.letterKey(String.fromCharCode(letter)), code, capacity);
});
EM_JS(void, PagePointer, (int32_t* x, int32_t* y), {
    const pointer = Module.page.pointer();
    HEAP32[x >> 2] = pointer.x;
    HEAP32[y >> 2] = pointer.y;
});
EM_JS(int32_t, PageButtons, (), { return Module.page.buttons(); });
EM_JS(int32_t, PagePresses, (), { return Module.page.presses(); });
EM_JS(int32_t, PageWheel, (), { return Module.page.wheel(); });
EM_JS(void, PageMessage, (const char* text), { Module.page.message(UTF8ToString(text)); });
// clang-format on

namespace {

int64_t Now() {
    return static_cast<int64_t>(std::floor(emscripten_get_now() * 1000.0));
}

void StopWorkClock() {
    if (workStart >= 0) {
        workSincePresent += Now() - workStart;
        workStart = -1;
    }
}

// Hands control to the browser for about this long; the program goes on afterwards.
void Yield(int64_t microseconds) {
    emscripten_sleep(static_cast<unsigned int>(microseconds / 1000));
    yieldedSincePresent = true;
}

} // namespace

PlatformFailure PlatformLastFailure(const char** detail) {
    *detail = "";
    return PlatformFailureNone;
}

// The page holds one canvas: the window is it, sized to the client area asked for.
PlatformWindow PlatformWindowOpen(int32_t /*x*/, int32_t /*y*/, int32_t width, int32_t height,
                                  const char* title) {
    if (canvas.open || width <= 0 || height <= 0) {
        return 0;
    }
    canvas = Canvas{true, width, height, {}};
    PageOpenCanvas(width, height, title != nullptr ? title : "");
    workStart = Now();
    return kCanvas;
}

void PlatformWindowClose(PlatformWindow window) {
    if (window == kCanvas && canvas.open) {
        canvas = Canvas{};
        PageCloseCanvas();
    }
}

// The page's events reach the program as input states; no window message is ever pending.
int32_t PlatformPollMessage(PlatformMessage* /*message*/) {
    return 0;
}

int32_t PlatformWaitMessage(int32_t timeoutMilliseconds) {
    if (timeoutMilliseconds > 0) {
        StopWorkClock();
        Yield(int64_t{timeoutMilliseconds} * 1000);
    }
    return 0;
}

// The canvas takes bytes red, green, blue, alpha. A present that found no sleep since the last one
// yields once, so that the page shows the frame and its events come in however long cycles take.
void PlatformPresent(PlatformWindow window, const uint32_t* pixels, int32_t width, int32_t height) {
    if (window != kCanvas || !canvas.open || pixels == nullptr || width != canvas.width ||
        height != canvas.height) {
        return;
    }
    StopWorkClock();
    canvas.rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t at = 0; at < canvas.rgba.size(); ++at) {
        const uint32_t pixel = pixels[at];
        canvas.rgba[at] =
            0xFF000000u | (pixel & 0xFF) << 16 | (pixel & 0xFF00) | (pixel >> 16 & 0xFF);
    }
    PageShow(canvas.rgba.data(), width, height, static_cast<double>(workSincePresent) / 1000.0);
    workSincePresent = 0;
    if (!yieldedSincePresent) {
        Yield(0);
    }
    yieldedSincePresent = false;
    workStart = Now();
}

void PlatformRepaint(PlatformWindow window) {
    if (window == kCanvas && canvas.open && !canvas.rgba.empty()) {
        PageShow(canvas.rgba.data(), canvas.width, canvas.height, 0.0);
    }
}

// While the page asks the editor to end (before it opens another file), Escape is held for it,
// the one key that ends the editor, whether or not the canvas has the keyboard.
int32_t PlatformReadKeyboard(PlatformWindow window, uint8_t snapshot[256]) {
    if (window != kCanvas || !canvas.open) {
        return 0;
    }
    if (PageEndRequested() != 0) {
        std::memset(snapshot, 0, 256);
        snapshot[kEscape] = 0x80;
        return 1;
    }
    if (PageKeyboardFocused() == 0) {
        return 0;
    }
    std::memset(snapshot, 0, 256);
    for (const KeyMapping& key : kKeys) {
        if (PageKeyDown(key.code) != 0) {
            snapshot[key.scanCode] = 0x80;
        }
    }
    return 1;
}

// The page knows the layout from the browser's layout map and from the keys typed so far.
int32_t PlatformScanCodeOfLetter(char letter) {
    char code[32] = {};
    PageLetterKey(letter, code, sizeof code);
    for (const KeyMapping& key : kKeys) {
        if (std::strcmp(key.code, code) == 0) {
            return key.scanCode;
        }
    }
    return -1;
}

// The pointer in canvas pixels, mapped back through the canvas's scaling; outside it when the
// pointer is outside.
int32_t PlatformCursorPosition(PlatformWindow window, int32_t* x, int32_t* y) {
    if (window != kCanvas || !canvas.open) {
        return 0;
    }
    PagePointer(x, y);
    return 1;
}

int32_t PlatformMouseButtons() {
    return PageButtons();
}

int32_t PlatformMousePresses() {
    return PagePresses();
}

int32_t PlatformMouseWheel() {
    return PageWheel();
}

// The page's high-resolution time in microseconds.
int64_t PlatformCounter() {
    return Now();
}

int64_t PlatformCounterFrequency() {
    return kMicrosecondsPerSecond;
}

void PlatformSleepMicroseconds(int64_t microseconds) {
    if (microseconds > 0) {
        PlatformSleepUntil(Now() + microseconds);
    }
}

// The browser's timers wake a millisecond or so late, so the last millisecond is waited out here.
void PlatformSleepUntil(int64_t counter) {
    constexpr int64_t kTimerSlack = 1000;
    StopWorkClock();
    int64_t now = Now();
    if (counter - now > kTimerSlack) {
        Yield(counter - now - kTimerSlack);
    }
    while (Now() < counter) {
    }
}

// No file chooser in the page: files come through its own buttons and its storage.
int32_t PlatformAskFileName(const char* /*title*/, const char* /*folder*/, const char* /*name*/,
                            const PlatformFileFilter* /*filters*/, int32_t /*filterCount*/,
                            int32_t /*selectedFilter*/, char* /*result*/, int32_t /*capacity*/) {
    return 0;
}

// Messages go to the page's message line, without the box's title; the editor goes on at once.
void PlatformMessageBox(const char* /*title*/, const char* text) {
    PageMessage(text != nullptr ? text : "");
}
