// The mouse on the timeline strip: a click makes a frame current, Shift + click selects up to it, a
// cell dragged onto another moves its frame or the selection there, clicks on the counts and the
// rate raise (left) or lower (right) them, and the wheel scrolls the row.
#pragma once

#include <cstdint>

// Whether the pointer is over the strip, below the scene.
bool CursorOverStrip();
// Once per cycle, before the scene's mouse handling: it looks at the buttons only while the pointer
// is over the strip, a button went down there, or a press that began there is still held. A click
// with left Shift down selects.
void HandleStripMouse(bool shiftDown);
// The strip's playback rates, slowest first; the rate starts at kDefaultPlaybackRate.
int32_t NextPlaybackRate(int32_t rate, int32_t steps);
