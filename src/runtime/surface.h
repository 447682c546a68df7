// The off-screen back buffer of 32-bit pixels (800 x 700 for the editor) that all drawing writes
// into, its presentation into window 0 and the frame pacing: presents are at least FrameInterval
// counter ticks (frequency / (rate + 1), 1/61 s at the default rate of 60) apart.
#pragma once

#include <cstdint>

struct DrawingTarget;

int32_t SurfaceSubsystemInit();
void SurfaceSubsystemShutdown();
int32_t SurfaceOpenInWindow(intptr_t parent, int32_t x, int32_t y, int32_t width, int32_t height,
                            int32_t autoStretch, int32_t rightMargin, int32_t bottomMargin);
// A back buffer of width x height with no window behind it, for pictures made without a display:
// drawing works as on a window's surface, presenting ends a drawing but neither waits nor shows.
int32_t SurfaceOpenOffscreen(int32_t width, int32_t height);
void SurfaceClose();
// The back buffer as a drawing target; null while no surface is open or the target is lent out.
const DrawingTarget* SurfaceDrawTarget();
void SurfaceClear(int32_t colour);
void PresentSurface();
int32_t SetPresentRate(int32_t rate);
void DelayMs(int32_t milliseconds);
void DelayMicroseconds(int64_t microseconds);
// Milliseconds on the high-resolution counter, from an arbitrary start: for measuring intervals.
int64_t ElapsedMilliseconds();

// For the drawing layer, the keyboard and tests.
uint32_t* SurfacePixels(); // 0x00RRGGBB, rows of SurfaceWidth (); null while closed
int32_t SurfaceWidth();
int32_t SurfaceHeight();
intptr_t SurfaceParentWindow();                // 0 while closed or off-screen
int32_t SurfaceColourAt(int32_t x, int32_t y); // the pixel as a PackColour value; -1 outside
int64_t FrameInterval();
