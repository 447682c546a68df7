// Keyboard and mouse, sampled once per cycle: a 256-byte snapshot of the keys by scan code (named
// in the platform seam), the cursor in window 0's client coordinates (-1 outside), the system-wide
// button state and where the pointer was when the buttons and keys held went down.
#pragma once

#include <cstdint>

#include "runtime/platform.h"

enum MouseButton : int32_t { MouseLeft = 1, MouseRight = 2, MouseMiddle = 4 };

struct KeySnapshot {
    uint8_t keys[256];
};
extern KeySnapshot keySnapshot;

int32_t KeyboardInit();
void KeyboardShutdown();
int32_t SampleKeyboard();            // 1 when the snapshot was refreshed
int32_t IsKeyDown(int32_t scanCode); // 0x80 or 0; -1 asks whether any key is down
// 1 when the key, down at the previous sample and at this one, was let go and pressed again in
// between: a new press, though the key never read as up. (A tap that began and ended between two
// samples reads as down for one sample.)
int32_t KeyPressedAgain(int32_t scanCode);
// The samples that have refreshed the snapshot so far, so that a reader knows a new one.
int64_t KeyboardSampleCount();
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
