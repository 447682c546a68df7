// The command keys, tested once per cycle against the keyboard snapshot: edge-triggered through
// one latch per key, or acting while held (left Shift, left Ctrl, W, F9).
#pragma once

#include <cstdint>

enum KeyLatchIndex : int32_t {
    LatchTab = 1,
    LatchX = 3,
    LatchF1 = 4,
    LatchKey1 = 5,
    LatchF4 = 6,
    LatchF6 = 7,
    LatchF7 = 8,
    LatchDelete = 9,
    LatchF3 = 10,
    LatchF10 = 11,
    LatchF8 = 12,
    LatchF12 = 13,
    LatchF11 = 14,
    LatchF2 = 15,
    LatchF5 = 16,
    LatchI = 19,
};

void HandleCommandKeys();
// Runs the command once when the key goes down. The latch re-arms once the key is seen up, read
// after the command, which may have waited and read the keyboard anew.
void PressKeyOnce(int32_t scanCode, int32_t& latch, void (*command)());
// Draws the scene and the strip without the overlay, the text in red at (1, 1), presents and
// waits 500 ms.
void ShowStatusMessage(const char* text);
