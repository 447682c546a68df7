// Press detection: one latch per key, set by a press and cleared by the key seen up.
#include "editor/key_press.h"

bool TakePress(bool down, int32_t& latch) {
    if (!down || latch != 0) {
        return false;
    }
    latch = 1;
    return true;
}

void RearmWhenUp(bool down, int32_t& latch) {
    if (!down) {
        latch = 0;
    }
}
