// Keyboard and mouse sampling: the 256-byte key snapshot read from the window that hosts the
// surface, the cursor in a window's client coordinates, the three mouse buttons, and where the
// pointer was when a button or key went down.
#include "runtime/input.h"

#include "runtime/platform.h"
#include "runtime/surface.h"
#include "runtime/window.h"

KeySnapshot keySnapshot;

namespace {

// Unbound: the next sample binds the keyboard to the surface's window; bound: samples read it.
enum class KeyboardState { None, Unbound, Bound };

constexpr int32_t kKeyDown = 0x80;
constexpr int32_t kWentDown = 0x01; // the platform saw the key go down since its previous read
constexpr int32_t kAnyKey = -1;
constexpr int32_t kKeyCount = 256;

KeyboardState keyboardState = KeyboardState::None;
PlatformWindow boundWindow = 0;
// Presses that the platform reported while the other button was asked for; each is answered once
// by the next query of its own button, as a press since that button's previous query.
int32_t unseenPresses = 0;
// By scan code: the key went up and down again between the previous sample and this one, while
// both read it as down.
bool pressedAgain[256] = {};
int64_t keyboardSamples = 0;

bool CursorInClient(int32_t window, int32_t* x, int32_t* y) {
    int32_t width = 0;
    int32_t height = 0;
    if (WindowClientSize(window, &width, &height) == 0 ||
        PlatformCursorPosition(WindowNativeHandle(window), x, y) == 0) {
        return false;
    }
    return *x >= 0 && *y >= 0 && *x < width && *y < height;
}

// A point the platform gave in the window's picture pixels, or (-1, -1) outside the client area.
ClientPoint InClient(int32_t window, int32_t x, int32_t y) {
    int32_t width = 0;
    int32_t height = 0;
    if (WindowClientSize(window, &width, &height) == 0 || x < 0 || y < 0 || x >= width ||
        y >= height) {
        return ClientPoint{-1, -1};
    }
    return ClientPoint{x, y};
}

ClientPoint CursorNow(int32_t window) {
    int32_t x = 0;
    int32_t y = 0;
    return CursorInClient(window, &x, &y) ? ClientPoint{x, y} : ClientPoint{-1, -1};
}

} // namespace

int32_t KeyboardInit() {
    if (keyboardState == KeyboardState::None) {
        keyboardState = KeyboardState::Unbound;
    }
    return 1;
}

void KeyboardShutdown() {
    keyboardState = KeyboardState::None;
    boundWindow = 0;
}

// A read fails while the window lacks the keyboard focus; the next sample binds again, so keys
// read as up until the window has the focus back.
int32_t SampleKeyboard() {
    if (keyboardState == KeyboardState::None) {
        return 0;
    }
    if (keyboardState == KeyboardState::Unbound) {
        boundWindow = SurfaceParentWindow();
        keyboardState = KeyboardState::Bound;
    }
    bool wasDown[kKeyCount];
    for (int32_t code = 0; code < kKeyCount; ++code) {
        wasDown[code] = (keySnapshot.keys[code] & kKeyDown) != 0;
    }
    if (PlatformReadKeyboard(boundWindow, keySnapshot.keys) == 0) {
        keyboardState = KeyboardState::Unbound;
        return 0;
    }
    // A tap that began and ended between two samples reads as down for this one; a key let go and
    // pressed again between them is told by KeyPressedAgain.
    for (int32_t code = 0; code < kKeyCount; ++code) {
        uint8_t& key = keySnapshot.keys[code];
        bool wentDown = (key & kWentDown) != 0;
        key = (key & kKeyDown) != 0 || wentDown ? kKeyDown : 0;
        pressedAgain[code] = wentDown && wasDown[code];
    }
    ++keyboardSamples;
    return 1;
}

int32_t IsKeyDown(int32_t scanCode) {
    if (keyboardState != KeyboardState::Bound) {
        return 0;
    }
    if (scanCode == kAnyKey) {
        // Scan code 0xFF is left out of the question.
        for (int32_t code = 0; code < kKeyCount - 1; ++code) {
            if ((keySnapshot.keys[code] & kKeyDown) != 0) {
                return 1;
            }
        }
        return 0;
    }
    if (scanCode < 0 || scanCode >= kKeyCount) {
        return 0;
    }
    return keySnapshot.keys[scanCode] & kKeyDown;
}

int32_t KeyPressedAgain(int32_t scanCode) {
    bool known = keyboardState == KeyboardState::Bound && scanCode >= 0 && scanCode < kKeyCount;
    return known && pressedAgain[scanCode] ? 1 : 0;
}

int64_t KeyboardSampleCount() {
    return keyboardSamples;
}

int32_t WindowCursorX(int32_t window) {
    int32_t x = 0;
    int32_t y = 0;
    return CursorInClient(window, &x, &y) ? x : -1;
}

int32_t WindowCursorY(int32_t window) {
    int32_t x = 0;
    int32_t y = 0;
    return CursorInClient(window, &x, &y) ? y : -1;
}

int32_t MouseButtonPressed(int32_t button) {
    int32_t mask =
        button == MouseLeft || button == MouseRight || button == MouseMiddle ? button : 0;
    if (mask == 0) {
        return 0;
    }
    unseenPresses |= PlatformMousePresses();
    int32_t pressed = (PlatformMouseButtons() | unseenPresses) & mask;
    unseenPresses &= ~mask;
    return pressed != 0 ? 1 : 0;
}

ClientPoint MousePressPosition(int32_t window, int32_t button) {
    bool oneButton = button == MouseLeft || button == MouseRight || button == MouseMiddle;
    int32_t x = 0;
    int32_t y = 0;
    if (!oneButton || PlatformMousePressPosition(WindowNativeHandle(window), button, &x, &y) == 0) {
        return CursorNow(window);
    }
    return InClient(window, x, y);
}

ClientPoint KeyPressPosition(int32_t window, int32_t scanCode) {
    int32_t x = 0;
    int32_t y = 0;
    if (scanCode < 0 || scanCode >= kKeyCount ||
        PlatformKeyPressPosition(WindowNativeHandle(window), scanCode, &x, &y) == 0) {
        return CursorNow(window);
    }
    return InClient(window, x, y);
}

int32_t MouseWheelNotches() {
    return PlatformMouseWheel();
}

int32_t ScanCodeOfLetter(char letter) {
    if ((letter < 'A' || letter > 'Z') && letter != '+' && letter != '-') {
        return -1;
    }
    return PlatformScanCodeOfLetter(letter);
}
