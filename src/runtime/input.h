// Keyboard and mouse, sampled once per cycle: a 256-byte snapshot of the keys by scan code, the
// cursor in window 0's client coordinates (-1 outside), the system-wide button state and where
// the pointer was when the buttons and keys held went down.
#pragma once

#include <cstdint>

// The names of the keys by scan code, the key's position on the keyboard whatever the layout
// prints on it (a US keyboard's labels name them). Every backend maps its own key identifiers to
// these names and to nothing else.
enum ScanCode : int32_t {
    ScanEscape = 0x01,
    ScanKey1 = 0x02,
    ScanMinus = 0x0C,
    ScanEquals = 0x0D,
    ScanBackspace = 0x0E,
    ScanTab = 0x0F,
    ScanQ = 0x10,
    ScanW = 0x11,
    ScanE = 0x12,
    ScanR = 0x13,
    ScanT = 0x14,
    ScanY = 0x15,
    ScanU = 0x16,
    ScanI = 0x17,
    ScanO = 0x18,
    ScanP = 0x19,
    ScanLeftBracket = 0x1A,
    ScanRightBracket = 0x1B,
    ScanLeftCtrl = 0x1D,
    ScanA = 0x1E,
    ScanS = 0x1F,
    ScanD = 0x20,
    ScanF = 0x21,
    ScanG = 0x22,
    ScanH = 0x23,
    ScanJ = 0x24,
    ScanK = 0x25,
    ScanL = 0x26,
    ScanSemicolon = 0x27,
    ScanApostrophe = 0x28,
    ScanGrave = 0x29,
    ScanLeftShift = 0x2A,
    ScanBackslash = 0x2B,
    ScanZ = 0x2C,
    ScanX = 0x2D,
    ScanC = 0x2E,
    ScanV = 0x2F,
    ScanB = 0x30,
    ScanN = 0x31,
    ScanM = 0x32,
    ScanComma = 0x33,
    ScanPeriod = 0x34,
    ScanSlash = 0x35,
    ScanRightShift = 0x36,
    ScanLeftAlt = 0x38,
    ScanF1 = 0x3B,
    ScanF2 = 0x3C,
    ScanF3 = 0x3D,
    ScanF4 = 0x3E,
    ScanF5 = 0x3F,
    ScanF6 = 0x40,
    ScanF7 = 0x41,
    ScanF8 = 0x42,
    ScanF9 = 0x43,
    ScanF10 = 0x44,
    ScanNumpadMinus = 0x4A,
    ScanNumpadPlus = 0x4E,
    ScanNonUsBackslash = 0x56, // between left Shift and Z on ISO keyboards
    ScanF11 = 0x57,
    ScanF12 = 0x58,
    ScanRightCtrl = 0x9D,
    ScanHome = 0xC7,
    ScanPageUp = 0xC9,
    ScanEnd = 0xCF,
    ScanPageDown = 0xD1,
    ScanInsert = 0xD2,
    ScanDelete = 0xD3,
};

enum MouseButton : int32_t { MouseLeft = 1, MouseRight = 2, MouseMiddle = 4 };

struct KeySnapshot {
    uint8_t keys[256];
};
extern KeySnapshot keySnapshot;

int32_t KeyboardInit();
void KeyboardShutdown();
int32_t SampleKeyboard();            // 1 when the snapshot was refreshed
int32_t IsKeyDown(int32_t scanCode); // 0x80 or 0; -1 asks whether any key is down
int32_t WindowCursorX(int32_t window);
int32_t WindowCursorY(int32_t window);
int32_t MouseButtonPressed(int32_t button); // non-zero while down
int32_t MouseWheelNotches(); // turned since the last call; positive away from the user
// A point in a window's client coordinates, (-1, -1) outside it, as WindowCursorX/Y give them.
struct ClientPoint {
    int32_t x;
    int32_t y;
};
// Where the pointer was when the button went down for the press held now (or a click this cycle
// saw), and when the key held now went down: a gesture starts there, also when the pointer moved
// on before the cycle looked. Where the pointer is now when the platform saw no such press.
ClientPoint MousePressPosition(int32_t window, int32_t button);
ClientPoint KeyPressPosition(int32_t window, int32_t scanCode);
// The scan code of the key that the keyboard layout now labels with a letter from 'A' to 'Z', or
// with '+' or '-', or -1 when the layout has no such key among those the snapshot holds. A layout
// whose + needs Shift labels the key it shares with = as +, as a US keyboard does.
int32_t ScanCodeOfLetter(char letter);
