// Press detection for keys that act once per press: a press is the key seen down while its latch
// is clear, which sets the latch; the latch clears again in the first look that sees the key up.
// The command table detects presses through these two.
#pragma once

#include <cstdint>

// True when `down` starts a press: the latch was clear, and is set now.
bool TakePress(bool down, int32_t& latch);
// Clears the latch once the key is seen up, so that the next time it is down is a new press.
void RearmWhenUp(bool down, int32_t& latch);
