// Scripting interface of the headless backend, for tests and benchmarks. Input is a queue of
// per-cycle states: each present moves to the next one (the last stays in force once the queue
// runs out). The clock is injected: sleeping advances it at once, and every counter read advances
// it by a small step so that spin loops end. Every presented frame is kept for inspection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/platform.h"

struct HeadlessInput {
    uint8_t keys[256] = {}; // by scan code, 0x80 = down
    int32_t cursorX = -1;   // client coordinates of the window; may lie outside it
    int32_t cursorY = -1;
    int32_t buttons = 0; // bit 0 left, bit 1 right, bit 2 middle
    int32_t presses = 0; // buttons pressed since the last look at them, reported once
    int32_t wheel = 0;   // notches turned since the last look, reported once
    bool focused = true; // keyboard focus on the window
    // Where the pointer was when this state's presses came (buttons in `presses` or newly held,
    // keys newly down), when it moved on to the cursor before the cycle looked: a press and a move
    // in one cycle. Otherwise the presses came where the cursor is.
    bool movedAfterPress = false;
    int32_t pressX = -1;
    int32_t pressY = -1;
};

struct HeadlessFrame {
    std::vector<uint32_t> pixels; // 0x00RRGGBB
    int32_t width = 0;
    int32_t height = 0;
};

// Forgets all windows, input, messages, dialog answers, frames and sound; the clock restarts at 0.
void HeadlessReset();
// The parts of HeadlessReset, each kept beside what it forgets: the windows, input, messages,
// frames and clock; the dialogs; the sound output.
void HeadlessResetWindows();
void HeadlessResetDialogs();
void HeadlessResetAudio();

// Input in force now, and the queue of states for the cycles after the next present.
HeadlessInput& HeadlessCurrentInput();
void HeadlessQueueInput(const HeadlessInput& input);
// On the current input, in order: a button or key set down before a move of the cursor went down
// where the cursor was, as with the real pointer.
void HeadlessSetKey(int32_t scanCode, bool down);
void HeadlessSetCursor(int32_t x, int32_t y);
// The keyboard layout: the scan code of the key labelled with a letter ('A' to 'Z', '+' or '-';
// -1 for none).
// A reset brings back the US layout.
void HeadlessSetLetterKey(char letter, int32_t scanCode);
void HeadlessSetButtons(int32_t buttons);

// From now on windows fail to open with this failure; with PlatformFailureNoDisplay the file
// choosers cannot be shown either. PlatformFailureNone (also after a reset) lets both work again.
void HeadlessFailWindows(PlatformFailure failure);
// For the headless requesters: the failure a requester shown now meets (no display, or none),
// noted as the last failure.
PlatformFailure HeadlessRequesterFailure();

// Messages that the next polls deliver, one per poll, for the first open window.
void HeadlessQueueMessage(PlatformMessageKind kind, int32_t code = 0);

// Answers of the next file choosers, in order. An empty text is a cancel, and so is a chooser that
// finds no answer left; message boxes take no answer. Every requester shown is recorded.
void HeadlessQueueFileAnswer(const std::string& path);
struct HeadlessRequest {
    std::string title;
    std::string folder;
    std::string name; // file chooser: the name filled in; message box: the text
    bool messageBox = false;
    std::vector<std::string> filters = {}; // file chooser: "description|patterns" per entry
    int32_t selectedFilter = -1;
    std::string place = {}; // file chooser: the second folder it offers a way to
    bool save = false;      // file chooser: the file is to be written
};
const std::vector<HeadlessRequest>& HeadlessRequests();

// The clock: ticks per second, the current tick, and how far each counter read advances it
// (at least 1). HeadlessSleptMicroseconds adds up every sleep since the reset.
int64_t HeadlessClockNow();
void HeadlessSetCounterReadStep(int64_t ticks);
int64_t HeadlessSleptMicroseconds();

// A bound for loops that wait on scripted input: from now on, every present beyond `presents`
// made while no queued input is left calls `runaway`, which a test makes fail and unwind, so that
// a loop that misses the input meant to end it (a playback whose stop is missed) ends its test
// instead of running forever. A reset lifts the bound.
void HeadlessBoundPresentsPastScript(int64_t presents, void (*runaway)());

// The sound output. From now on it cannot be opened (true) or can (false, also after a reset).
void HeadlessFailAudio(bool fail);
bool HeadlessAudioOpen();
// Every sample queued since the reset, interleaved, played or not; the sample frame in it that
// the last clear started the queue at (the played count counts from there); the clears so far.
const std::vector<int16_t>& HeadlessAudioCaptured();
int64_t HeadlessAudioStreamStart();
int64_t HeadlessAudioClears();
// Called by every present, before the frame is kept: a test that follows what each picture shows.
void HeadlessOnPresent(void (*observer)());

// Presented frames, oldest first; HeadlessKeepFrames limits how many are kept (oldest dropped;
// the last 16 unless set otherwise). HeadlessPresentCount counts every frame presented.
const std::vector<HeadlessFrame>& HeadlessFrames();
void HeadlessKeepFrames(std::size_t count);
int64_t HeadlessPresentCount();
int32_t HeadlessRepaintCount();
int32_t HeadlessOpenWindowCount();
std::string HeadlessWindowTitle();

// Window sizes. A window shows its picture scaled as the real one does; the cursor set above is in
// the window's own pixels and reaches the program mapped back into the picture. Windows open at
// the largest whole multiple of their picture that fits three quarters of the display area
// (0 x 0, as after a reset: 1:1).
void HeadlessSetDisplayArea(int32_t width, int32_t height);
// The first window resized, as by dragging its border; a resize message is queued.
void HeadlessResizeWindow(int32_t width, int32_t height);
int32_t HeadlessWindowSize(int32_t* width, int32_t* height); // 0 when no window is open
// The last frame presented, as the first window shows it: scaled, the rest dark.
HeadlessFrame HeadlessShownPicture();
