// Keyboard and mouse, sampled once per cycle: a 256-byte snapshot of the keys by scan code, the
// cursor in window 0's client coordinates (-1 outside) and the system-wide button state.
#pragma once

#include <cstdint>

enum ScanCode : int32_t {
    ScanEscape = 0x01,
    ScanKey1 = 0x02,
    ScanTab = 0x0F,
    ScanW = 0x11,
    ScanE = 0x12,
    ScanI = 0x17,
    ScanLeftCtrl = 0x1D,
    ScanLeftShift = 0x2A,
    ScanX = 0x2D,
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
    ScanF11 = 0x57,
    ScanF12 = 0x58,
    ScanRightCtrl = 0x9D,
    ScanDelete = 0xD3,
    ScanBackspace = 0x0E,
    ScanR = 0x13,
    ScanHome = 0xC7,
    ScanPageUp = 0xC9,
    ScanEnd = 0xCF,
    ScanPageDown = 0xD1,
    ScanInsert = 0xD2,
};

enum MouseButton : int32_t { MouseLeft = 1, MouseRight = 2 };

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
// The scan code of the key that the keyboard layout now labels with a letter from 'A' to 'Z', or
// with '+' or '-', or -1 when the layout has no such key among those the snapshot holds. A layout
// whose + needs Shift labels the key it shares with = as +, as a US keyboard does.
int32_t ScanCodeOfLetter(char letter);
