// The seam to the platform: everything the runtime needs from the window system, the input
// devices, the clock and the system dialogs. Three backends implement it: the real one on SDL2 and
// GTK 3 (backend_sdl*.cpp), a headless one that tests script (backend_headless.cpp) and the
// browser's, on a page's canvas (backend_web*.cpp). Texts crossing the seam are UTF-8, file names
// the file system's own bytes; windows are opaque non-zero handles.
#pragma once

#include <cstdint>

using PlatformWindow = std::intptr_t;

enum PlatformMessageKind : int32_t {
    PlatformMessageNone = 0,
    PlatformMessageMoved,
    PlatformMessageCloseRequest,
    PlatformMessageMinimised,
    PlatformMessageMaximised,
    PlatformMessageRestored,
    PlatformMessageResized,
    PlatformMessageActivated,
    PlatformMessageDeactivated,
    PlatformMessageExposed,
    PlatformMessageOther, // any other message; `code` carries a backend-specific identifier
};

struct PlatformMessage {
    PlatformMessageKind kind;
    PlatformWindow window;
    int32_t code;
};

// Why the last PlatformWindowOpen or PlatformAskFileName failed; None after a success or a
// cancelled chooser. *detail receives the system's own words ("" when it has none).
enum PlatformFailure : int32_t {
    PlatformFailureNone = 0,
    PlatformFailureNoDisplay,      // no display server could be reached
    PlatformFailureWindowRefused,  // the display server refused the window
    PlatformFailureSurfaceRefused, // the window has no pixel surface to present into
};
PlatformFailure PlatformLastFailure(const char** detail);

// Opens a visible, resizable top-level window for a picture of width x height, with its outer
// top-left corner at (x, y). Its client area starts at the largest whole multiple of the picture
// that fits three quarters of the display's usable area (at least 1:1). 0 on failure.
PlatformWindow PlatformWindowOpen(int32_t x, int32_t y, int32_t width, int32_t height,
                                  const char* title);
void PlatformWindowClose(PlatformWindow window);
// Removes at most one pending message and returns 1, or returns 0 at once when none is pending.
int32_t PlatformPollMessage(PlatformMessage* message);
// Waits up to timeoutMilliseconds (-1: without limit) until a message is pending; 1 when one is.
int32_t PlatformWaitMessage(int32_t timeoutMilliseconds);

// Shows width x height pixels (0x00RRGGBB, rows of `width`) in the window's client area, scaled
// with their shape kept: a whole multiple as sharp squares where one fills the window, smoothly
// otherwise, the rest dark. PlatformRepaint shows the frame presented last once more.
void PlatformPresent(PlatformWindow window, const uint32_t* pixels, int32_t width, int32_t height);
void PlatformRepaint(PlatformWindow window);

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

// Fills the 256 key states by scan code (0x80 = down, 0x01 = went down since the previous read,
// where the backend sees the key events) and returns 1 while the window has the keyboard focus;
// returns 0 and leaves the snapshot alone otherwise. With 0x01 a tap between two reads is seen,
// and so is a key let go and pressed again between them.
int32_t PlatformReadKeyboard(PlatformWindow window, uint8_t snapshot[256]);
// The scan code of the key that the current keyboard layout gives to a letter from 'A' to 'Z', as
// the keyboard snapshot names keys by position; -1 when no key the snapshot holds carries it.
int32_t PlatformScanCodeOfLetter(char letter);
// The pointer position in the picture's pixels (the global position minus the window's client
// origin, mapped back through the scaling); 0 when the window does not exist.
int32_t PlatformCursorPosition(PlatformWindow window, int32_t* x, int32_t* y);
// System-wide button state: bit 0 left, bit 1 right, bit 2 middle.
int32_t PlatformMouseButtons();
// The buttons pressed since the previous call (same bits), so that a click shorter than a cycle
// is seen; presses are known while the pointer is over a window of the program.
int32_t PlatformMousePresses();
// Where the pointer was, as PlatformCursorPosition gives it, when `button` (one of the bits above)
// went down: the press held now, or a click that PlatformMousePresses has yet to report or that it
// reported since the last present. Noted in the order the events came, so that a press and a move
// that reach one cycle together tell where the press was. 1 when known; 0 when the backend saw no
// such press (the button went down elsewhere) or the window does not exist.
int32_t PlatformMousePressPosition(PlatformWindow window, int32_t button, int32_t* x, int32_t* y);
// Where the pointer was when the key (a scan code) went down, while it is held; 1 when known, 0
// likewise.
int32_t PlatformKeyPressPosition(PlatformWindow window, int32_t scanCode, int32_t* x, int32_t* y);
// The wheel's notches since the previous call: positive turned away from the user, negative
// towards; 0 when it was not turned.
int32_t PlatformMouseWheel();

// High-resolution counter, its frequency in ticks per second, and two sleeps: for a time, and
// until the counter reaches a value (at once when it has). Neither ends early on a signal.
int64_t PlatformCounter();
int64_t PlatformCounterFrequency();
void PlatformSleepMicroseconds(int64_t microseconds);
void PlatformSleepUntil(int64_t counter);

// One entry of the file chooser's type list: a description and its patterns, separated by ';'.
struct PlatformFileFilter {
    const char* description;
    const char* patterns;
};

// Modal requesters; both work before any window exists and while one does. The file chooser opens
// in `folder` with `name` filled in and the filter `selectedFilter` (0-based) active, accepts a
// name that does not exist yet, and writes the chosen full path and a 0 into `result`. It returns
// 1 for a choice, 0 when cancelled or when the path and its 0 do not fit in `capacity` bytes, and
// -1 when no chooser can be shown at all (see PlatformLastFailure). `place` (null or empty: none)
// is a second folder the chooser offers a way to; `save` tells that the file is to be written.
int32_t PlatformAskFileName(const char* title, const char* folder, const char* name,
                            const PlatformFileFilter* filters, int32_t filterCount,
                            int32_t selectedFilter, const char* place, int32_t save, char* result,
                            int32_t capacity);
void PlatformMessageBox(const char* title, const char* text);

// The sound output: a queue of sample frames at kPlatformAudioRate, kPlatformAudioChannels
// interleaved signed 16-bit samples each, played in order while it holds any.
constexpr int32_t kPlatformAudioRate = 48000;
constexpr int32_t kPlatformAudioChannels = 2;
// Opens the output (at once when it is open); 0 when the system offers none.
int32_t PlatformAudioOpen();
// Appends frameCount sample frames to the queue, after what it holds.
void PlatformAudioQueue(const int16_t* samples, int32_t frameCount);
// Drops what the queue holds and starts the played count again at 0.
void PlatformAudioClear();
// The sample frames played since the last clear: the sound's clock, never ahead of the queue.
int64_t PlatformAudioPlayed();
void PlatformAudioClose();
// A sound that the system hands over already decoded in the output's format (the browser's page
// decodes the one its "Ton" button picked): its length in sample frames (0: none), and a copy of
// at most frameCount of its frames into `samples`.
int64_t PlatformProvidedSoundFrames();
void PlatformCopyProvidedSound(int16_t* samples, int64_t frameCount);
