// Numbered top-level windows and the non-blocking event pump. Each poll handles at most one
// window-system message and turns it into an event code; a close request is only queued.
#pragma once

#include <cstdint>

enum WindowEventCode : int32_t {
    EventMoved = 3,
    EventSized = 5,
    EventEraseBackground = 15,
    EventCloseRequest = 16,
    EventActivated = 0x3330,
    EventMinimised = 0x3333,
    EventMaximised = 0x3334,
    EventRestored = 0x3335,
};

void WindowSubsystemInit();
void WindowSubsystemShutdown();
// Opens window `number` (-1: an automatic number, returned instead of the handle); the client area
// is innerWidth x innerHeight with the outer corner at (x, y). Returns the native handle, or 0.
intptr_t WindowOpen(int32_t number, int32_t x, int32_t y, int32_t innerWidth, int32_t innerHeight,
                    const char* title, int32_t flags);
intptr_t WindowNativeHandle(int32_t number); // 0 when the slot is free or out of range
// The client size given at opening; 0 (and both sizes 0) when the slot is free.
int32_t WindowClientSize(int32_t number, int32_t* width, int32_t* height);
void WindowClose(int32_t number);
int32_t PollWindowEvent(); // AwaitWindowEvent (0)
// timeout -1 waits for a message, 0 never waits, n > 0 waits at most n ms. Returns the event code,
// the message's own code for unmapped messages, or 0 when nothing was pending.
int32_t AwaitWindowEvent(int32_t timeoutMilliseconds);
// The window number of the last event returned, -1 when it belongs to no runtime window.
int32_t WindowEventWindow();
// Appends an event for the pump to return later, unless the newest queued event is the same code
// for the same window. Dispatching a message queues its events this way.
void QueueWindowEvent(int32_t code, int32_t window);
