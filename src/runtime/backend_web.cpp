// The browser backend: the page's canvas as the one window, the page's key and pointer events as
// the keyboard snapshot and the pointer, its high-resolution time as the counter. Sleeping hands
// control back to the browser (the build's ASYNCIFY unwinds and resumes the program), so the
// editor's own loops, pacing and pauses run as they are. The page (web/page.js) supplies
// Module.page, the functions called here; texts cross as UTF-8.
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/input.h"
#include "runtime/platform.h"

namespace {

struct KeyMapping {
    const char* code; // KeyboardEvent.code: the key's position, whatever the layout prints on it
    ScanCode scanCode;
};

// Every key the runtime names, so that the key that the layout labels with a letter can be found in
// the snapshot too.
constexpr KeyMapping kKeys[] = {
    {"Escape", ScanEscape},
    {"Digit1", ScanKey1},
    {"Minus", ScanMinus},
    {"Equal", ScanEquals},
    {"Backspace", ScanBackspace},
    {"Tab", ScanTab},
    {"KeyQ", ScanQ},
    {"KeyW", ScanW},
    {"KeyE", ScanE},
    {"KeyR", ScanR},
    {"KeyT", ScanT},
    {"KeyY", ScanY},
    {"KeyU", ScanU},
    {"KeyI", ScanI},
    {"KeyO", ScanO},
    {"KeyP", ScanP},
    {"BracketLeft", ScanLeftBracket},
    {"BracketRight", ScanRightBracket},
    {"ControlLeft", ScanLeftCtrl},
    {"AltLeft", ScanLeftAlt},
    {"KeyA", ScanA},
    {"KeyS", ScanS},
    {"KeyD", ScanD},
    {"KeyF", ScanF},
    {"KeyG", ScanG},
    {"KeyH", ScanH},
    {"KeyJ", ScanJ},
    {"KeyK", ScanK},
    {"KeyL", ScanL},
    {"Semicolon", ScanSemicolon},
    {"Quote", ScanApostrophe},
    {"Backquote", ScanGrave},
    {"ShiftLeft", ScanLeftShift},
    {"Backslash", ScanBackslash},
    {"KeyZ", ScanZ},
    {"KeyX", ScanX},
    {"KeyC", ScanC},
    {"KeyV", ScanV},
    {"KeyB", ScanB},
    {"KeyN", ScanN},
    {"KeyM", ScanM},
    {"Comma", ScanComma},
    {"Period", ScanPeriod},
    {"Slash", ScanSlash},
    {"ShiftRight", ScanRightShift},
    {"F1", ScanF1},
    {"F2", ScanF2},
    {"F3", ScanF3},
    {"F4", ScanF4},
    {"F5", ScanF5},
    {"F6", ScanF6},
    {"F7", ScanF7},
    {"F8", ScanF8},
    {"F9", ScanF9},
    {"F10", ScanF10},
    {"NumpadSubtract", ScanNumpadMinus},
    {"NumpadAdd", ScanNumpadPlus},
    {"IntlBackslash", ScanNonUsBackslash},
    {"F11", ScanF11},
    {"F12", ScanF12},
    {"ControlRight", ScanRightCtrl},
    {"Home", ScanHome},
    {"PageUp", ScanPageUp},
    {"End", ScanEnd},
    {"PageDown", ScanPageDown},
    {"Insert", ScanInsert},
    {"Delete", ScanDelete},
};
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
EM_JS(void, PageKeyboardRead, (), { Module.page.keyboardRead(); });
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
// Where the pointer was when the button (one bit) or the key went down; 0 when the page has none.
EM_JS(int32_t, PagePressPosition, (int32_t button, int32_t* x, int32_t* y), {
    const at = Module.page.pressPosition(button);
    if (!at) {
        return 0;
    }
    HEAP32[x >> 2] = at.x;
    HEAP32[y >> 2] = at.y;
    return 1;
});
EM_JS(int32_t, PageKeyPressPosition, (const char* code, int32_t* x, int32_t* y), {
    const at = Module.page.keyPressPosition(UTF8ToString(code));
    if (!at) {
        return 0;
    }
    HEAP32[x >> 2] = at.x;
    HEAP32[y >> 2] = at.y;
    return 1;
});
EM_JS(void, PagePresented, (), { Module.page.presented(); });
EM_JS(int32_t, PageButtons, (), { return Module.page.buttons(); });
EM_JS(int32_t, PagePresses, (), { return Module.page.presses(); });
EM_JS(int32_t, PageWheel, (), { return Module.page.wheel(); });
EM_JS(void, PageMessage, (const char* text), { Module.page.message(UTF8ToString(text)); });
EM_JS(int32_t, PageAudioOpen, (), { return Module.page.audioOpen() ? 1 : 0; });
EM_JS(void, PageAudioQueue, (const int16_t* samples, int32_t frameCount), {
    Module.page.audioQueue(HEAP16.subarray(samples >> 1, (samples >> 1) + frameCount * 2));
});
EM_JS(void, PageAudioClear, (), { Module.page.audioClear(); });
EM_JS(double, PageAudioPlayed, (), { return Module.page.audioPlayed(); });
EM_JS(double, PageSoundFrames, (), { return Module.page.soundFrames(); });
EM_JS(void, PageCopySound, (int16_t* samples, double frameCount), {
    Module.page.copySound(HEAP16.subarray(samples >> 1, (samples >> 1) + frameCount * 2));
});
// The chosen path as UTF-8 with its 0 in `result`: 1, or 0 when cancelled or it does not fit.
EM_ASYNC_JS(int32_t, PageChooseFile, (const char* title, const char* folder, const char* name,
                                      const char* place, int32_t save, char* result,
                                      int32_t capacity), {
    const path = await Module.page.chooseFile({
        title: UTF8ToString(title), folder: UTF8ToString(folder), name: UTF8ToString(name),
        place: UTF8ToString(place), save: save !== 0 });
    if (!path || lengthBytesUTF8(path) + 1 > capacity) {
        return 0;
    }
    stringToUTF8(path, result, capacity);
    return 1;
});
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
    PagePresented(); // the clicks this cycle saw are over
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
// the one key that ends the editor, whether or not the canvas has the keyboard. The page counts
// the snapshots it gave, so that its tests know when the program has seen a key go down or up.
int32_t PlatformReadKeyboard(PlatformWindow window, uint8_t snapshot[256]) {
    if (window != kCanvas || !canvas.open) {
        return 0;
    }
    if (PageEndRequested() != 0) {
        std::memset(snapshot, 0, 256);
        snapshot[ScanEscape] = 0x80;
        PageKeyboardRead();
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
    PageKeyboardRead();
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

int32_t PlatformMousePressPosition(PlatformWindow window, int32_t button, int32_t* x, int32_t* y) {
    if (window != kCanvas || !canvas.open) {
        return 0;
    }
    return PagePressPosition(button, x, y);
}

int32_t PlatformKeyPressPosition(PlatformWindow window, int32_t scanCode, int32_t* x, int32_t* y) {
    if (window != kCanvas || !canvas.open) {
        return 0;
    }
    for (const KeyMapping& key : kKeys) {
        if (key.scanCode == scanCode) {
            return PageKeyPressPosition(key.code, x, y);
        }
    }
    return 0;
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

// The page's own chooser (web/page.js): a request to write takes the offered name in the
// browser's storage at once, any other shows the files of the folder and the place, and one from
// the computer. The program waits for the answer as it waits in a sleep.
int32_t PlatformAskFileName(const char* title, const char* folder, const char* name,
                            const PlatformFileFilter* /*filters*/, int32_t /*filterCount*/,
                            int32_t /*selectedFilter*/, const char* place, int32_t save,
                            char* result, int32_t capacity) {
    StopWorkClock();
    int32_t chosen = PageChooseFile(title != nullptr ? title : "", folder != nullptr ? folder : "",
                                    name != nullptr ? name : "", place != nullptr ? place : "",
                                    save, result, capacity);
    yieldedSincePresent = true;
    workStart = Now();
    return chosen;
}

// Messages go to the page's message line, without the box's title; the editor goes on at once.
void PlatformMessageBox(const char* /*title*/, const char* text) {
    PageMessage(text != nullptr ? text : "");
}

// The page's Web Audio plays the queue; its context starts with the first key or click, as
// browsers require, and until then the page counts the sound as played on its own clock.
int32_t PlatformAudioOpen() {
    return PageAudioOpen();
}

void PlatformAudioQueue(const int16_t* samples, int32_t frameCount) {
    if (samples != nullptr && frameCount > 0) {
        PageAudioQueue(samples, frameCount);
    }
}

void PlatformAudioClear() {
    PageAudioClear();
}

int64_t PlatformAudioPlayed() {
    return static_cast<int64_t>(PageAudioPlayed());
}

void PlatformAudioClose() {
    PageAudioClear();
}

int64_t PlatformProvidedSoundFrames() {
    return static_cast<int64_t>(PageSoundFrames());
}

void PlatformCopyProvidedSound(int16_t* samples, int64_t frameCount) {
    int64_t frames = std::min(frameCount, PlatformProvidedSoundFrames());
    if (samples != nullptr && frames > 0) {
        PageCopySound(samples, static_cast<double>(frames));
    }
}
