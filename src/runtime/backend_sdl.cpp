// The real backend on SDL2: windows drawn through their window surface, SDL's events as platform
// messages, the keyboard, pointer and buttons, the high-resolution counter and sleeping. Video is
// started at the first window, since the requesters may run before any window exists.
#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "runtime/backend_sdl_failure.h"
#include "runtime/input.h"
#include "runtime/picture_scaling.h"
#include "runtime/platform.h"

namespace {

// A window shows a picture of pictureWidth x pictureHeight, scaled to whatever size it has; the
// last picture presented is kept for showing again after a resize or an exposure.
struct SdlWindow {
    SDL_Window* window;
    PlatformWindow handle; // SDL's window id, never 0
    bool presented;
    int32_t pictureWidth;
    int32_t pictureHeight;
    std::vector<uint32_t> picture;
    std::vector<uint32_t> scaled; // for window surfaces in another pixel format
    int shownWidth;               // the window's size when the picture was last shown
    int shownHeight;
};

struct ScanCodeMapping {
    SDL_Scancode key;
    ScanCode scanCode;
};

// SDL's scan codes name key positions, as the runtime's scan codes do: every key the runtime names,
// so that the key a keyboard layout labels with a letter can be found in the snapshot too.
constexpr ScanCodeMapping kKeys[] = {
    {SDL_SCANCODE_ESCAPE, ScanEscape},
    {SDL_SCANCODE_1, ScanKey1},
    {SDL_SCANCODE_MINUS, ScanMinus},
    {SDL_SCANCODE_EQUALS, ScanEquals},
    {SDL_SCANCODE_BACKSPACE, ScanBackspace},
    {SDL_SCANCODE_TAB, ScanTab},
    {SDL_SCANCODE_Q, ScanQ},
    {SDL_SCANCODE_W, ScanW},
    {SDL_SCANCODE_E, ScanE},
    {SDL_SCANCODE_R, ScanR},
    {SDL_SCANCODE_T, ScanT},
    {SDL_SCANCODE_Y, ScanY},
    {SDL_SCANCODE_U, ScanU},
    {SDL_SCANCODE_I, ScanI},
    {SDL_SCANCODE_O, ScanO},
    {SDL_SCANCODE_P, ScanP},
    {SDL_SCANCODE_LEFTBRACKET, ScanLeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, ScanRightBracket},
    {SDL_SCANCODE_LCTRL, ScanLeftCtrl},
    {SDL_SCANCODE_LALT, ScanLeftAlt},
    {SDL_SCANCODE_A, ScanA},
    {SDL_SCANCODE_S, ScanS},
    {SDL_SCANCODE_D, ScanD},
    {SDL_SCANCODE_F, ScanF},
    {SDL_SCANCODE_G, ScanG},
    {SDL_SCANCODE_H, ScanH},
    {SDL_SCANCODE_J, ScanJ},
    {SDL_SCANCODE_K, ScanK},
    {SDL_SCANCODE_L, ScanL},
    {SDL_SCANCODE_SEMICOLON, ScanSemicolon},
    {SDL_SCANCODE_APOSTROPHE, ScanApostrophe},
    {SDL_SCANCODE_GRAVE, ScanGrave},
    {SDL_SCANCODE_LSHIFT, ScanLeftShift},
    {SDL_SCANCODE_BACKSLASH, ScanBackslash},
    {SDL_SCANCODE_Z, ScanZ},
    {SDL_SCANCODE_X, ScanX},
    {SDL_SCANCODE_C, ScanC},
    {SDL_SCANCODE_V, ScanV},
    {SDL_SCANCODE_B, ScanB},
    {SDL_SCANCODE_N, ScanN},
    {SDL_SCANCODE_M, ScanM},
    {SDL_SCANCODE_COMMA, ScanComma},
    {SDL_SCANCODE_PERIOD, ScanPeriod},
    {SDL_SCANCODE_SLASH, ScanSlash},
    {SDL_SCANCODE_RSHIFT, ScanRightShift},
    {SDL_SCANCODE_F1, ScanF1},
    {SDL_SCANCODE_F2, ScanF2},
    {SDL_SCANCODE_F3, ScanF3},
    {SDL_SCANCODE_F4, ScanF4},
    {SDL_SCANCODE_F5, ScanF5},
    {SDL_SCANCODE_F6, ScanF6},
    {SDL_SCANCODE_F7, ScanF7},
    {SDL_SCANCODE_F8, ScanF8},
    {SDL_SCANCODE_F9, ScanF9},
    {SDL_SCANCODE_F10, ScanF10},
    {SDL_SCANCODE_KP_MINUS, ScanNumpadMinus},
    {SDL_SCANCODE_KP_PLUS, ScanNumpadPlus},
    {SDL_SCANCODE_NONUSBACKSLASH, ScanNonUsBackslash},
    {SDL_SCANCODE_F11, ScanF11},
    {SDL_SCANCODE_F12, ScanF12},
    {SDL_SCANCODE_RCTRL, ScanRightCtrl},
    {SDL_SCANCODE_HOME, ScanHome},
    {SDL_SCANCODE_PAGEUP, ScanPageUp},
    {SDL_SCANCODE_END, ScanEnd},
    {SDL_SCANCODE_PAGEDOWN, ScanPageDown},
    {SDL_SCANCODE_INSERT, ScanInsert},
    {SDL_SCANCODE_DELETE, ScanDelete},
};

constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr int32_t kLeftButtonBit = 1;
constexpr int32_t kRightButtonBit = 2;
constexpr int32_t kMiddleButtonBit = 4;

std::vector<SdlWindow> windows;
bool videoStarted = false;
PlatformFailure lastFailure = PlatformFailureNone;
std::string lastFailureDetail;
// Button presses seen as events since PlatformMousePresses last looked.
int32_t pressesSinceQuery = 0;
// Wheel notches seen as events since PlatformMouseWheel last looked, away from the user positive.
int32_t wheelSinceQuery = 0;

// Where the pointer stood on the screen when a button or a key went down. A button's lasts until
// it is let go and its press has been reported and a picture presented after that; a key's while
// it is held.
struct PressPoint {
    bool known = false;
    bool released = false;
    bool reported = false;
    int32_t x = 0;
    int32_t y = 0;
};
PressPoint buttonPresses[3]; // left, right, middle: the bit's position
PressPoint keyPresses[256];  // by the runtime's scan code
// The keys that went down since PlatformReadKeyboard last looked, by the runtime's scan code.
bool keysWentDown[256] = {};

int32_t ButtonBit(Uint8 button) {
    return button == SDL_BUTTON_LEFT     ? kLeftButtonBit
           : button == SDL_BUTTON_RIGHT  ? kRightButtonBit
           : button == SDL_BUTTON_MIDDLE ? kMiddleButtonBit
                                         : 0;
}

PressPoint* ButtonPress(int32_t bit) {
    return bit == kLeftButtonBit     ? &buttonPresses[0]
           : bit == kRightButtonBit  ? &buttonPresses[1]
           : bit == kMiddleButtonBit ? &buttonPresses[2]
                                     : nullptr;
}

PressPoint* KeyPress(SDL_Scancode key) {
    for (const ScanCodeMapping& mapping : kKeys) {
        if (mapping.key == key) {
            return &keyPresses[mapping.scanCode];
        }
    }
    return nullptr;
}

// A window's point on the screen: its position is its client area's origin there.
void OnScreen(Uint32 windowId, int x, int y, int32_t* screenX, int32_t* screenY) {
    int windowX = 0;
    int windowY = 0;
    if (SDL_Window* window = SDL_GetWindowFromID(windowId)) {
        SDL_GetWindowPosition(window, &windowX, &windowY);
    }
    *screenX = windowX + x;
    *screenY = windowY + y;
}

// The pointer as the events so far have moved it: SDL's own position in the window it is over,
// which SDL brings up to date before it hands on each event; the screen's pointer when it is over
// none of ours.
void PointerOnScreen(int32_t* x, int32_t* y) {
    SDL_Window* over = SDL_GetMouseFocus();
    int pointerX = 0;
    int pointerY = 0;
    if (over == nullptr) {
        SDL_GetGlobalMouseState(&pointerX, &pointerY);
        *x = pointerX;
        *y = pointerY;
        return;
    }
    SDL_GetMouseState(&pointerX, &pointerY);
    OnScreen(SDL_GetWindowID(over), pointerX, pointerY, x, y);
}

void NotePress(const SDL_Event& event) {
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        int32_t bit = ButtonBit(event.button.button);
        pressesSinceQuery |= bit;
        if (PressPoint* press = ButtonPress(bit)) {
            *press = PressPoint{.known = true};
            OnScreen(event.button.windowID, event.button.x, event.button.y, &press->x, &press->y);
        }
    } else if (event.type == SDL_MOUSEBUTTONUP) {
        if (PressPoint* press = ButtonPress(ButtonBit(event.button.button))) {
            press->released = true;
        }
    } else if (event.type == SDL_KEYDOWN && event.key.repeat == 0) {
        if (PressPoint* press = KeyPress(event.key.keysym.scancode)) {
            *press = PressPoint{.known = true};
            PointerOnScreen(&press->x, &press->y);
            keysWentDown[press - keyPresses] = true;
        }
    } else if (event.type == SDL_KEYUP) {
        if (PressPoint* press = KeyPress(event.key.keysym.scancode)) {
            press->known = false;
        }
    }
}

// Input is sampled, never read from events: input events are noted (button and key presses with
// the pointer's place then) and dropped, which keeps SDL's queue to the window messages that the
// pump hands out one at a time. SDL calls this for each event in the order they came.
int DropInputEvents(void*, SDL_Event* event) {
    NotePress(*event);
    if (event->type == SDL_MOUSEWHEEL) {
        int32_t notches = event->wheel.y;
        wheelSinceQuery += event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -notches : notches;
    }
    bool keyboardOrMouse = event->type >= SDL_KEYDOWN && event->type < SDL_JOYAXISMOTION;
    bool touch = event->type >= SDL_FINGERDOWN && event->type < SDL_CLIPBOARDUPDATE;
    return keyboardOrMouse || touch ? 0 : 1;
}

bool StartVideo() {
    if (videoStarted) {
        return true;
    }
    // The window's close box must not end the program, Ctrl+C in a terminal still must, a
    // windowed editor should neither suspend the compositor nor the screen saver, and the window
    // surface should be the display server's own image, copied exactly.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The pointer is read globally and the window placed by its outer corner, which X11 offers
    // (also through XWayland); SDL_VIDEODRIVER still chooses another. Without a display this fails
    // at once, rather than probing other drivers that print their own complaints.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_DEFAULT);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        NoteBackendFailure(PlatformFailureNoDisplay, SDL_GetError());
        return false;
    }
    SDL_StopTextInput();
    SDL_SetEventFilter(DropInputEvents, nullptr);
    videoStarted = true;
    return true;
}

SdlWindow* FindWindow(PlatformWindow handle) {
    auto found = std::find_if(windows.begin(), windows.end(),
                              [handle](const SdlWindow& open) { return open.handle == handle; });
    return found == windows.end() ? nullptr : &*found;
}

PlatformMessageKind WindowMessageKind(uint8_t windowEvent) {
    switch (windowEvent) {
    case SDL_WINDOWEVENT_MOVED:
        return PlatformMessageMoved;
    case SDL_WINDOWEVENT_CLOSE:
        return PlatformMessageCloseRequest;
    case SDL_WINDOWEVENT_MINIMIZED:
        return PlatformMessageMinimised;
    case SDL_WINDOWEVENT_MAXIMIZED:
        return PlatformMessageMaximised;
    case SDL_WINDOWEVENT_RESTORED:
        return PlatformMessageRestored;
    case SDL_WINDOWEVENT_SIZE_CHANGED: // always sent for a size change, RESIZED only sometimes
        return PlatformMessageResized;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        return PlatformMessageActivated;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        return PlatformMessageDeactivated;
    case SDL_WINDOWEVENT_EXPOSED:
        return PlatformMessageExposed;
    default:
        return PlatformMessageOther;
    }
}

// A message's code is SDL's event type, for window events followed by the window event's byte.
PlatformMessage TranslateEvent(const SDL_Event& event) {
    auto type = static_cast<int32_t>(event.type);
    if (event.type == SDL_QUIT) {
        // Asked to quit by the session: a close request of the main window, which is ignored.
        PlatformWindow first = windows.empty() ? 0 : windows.front().handle;
        return PlatformMessage{PlatformMessageCloseRequest, first, type};
    }
    if (event.type != SDL_WINDOWEVENT) {
        return PlatformMessage{PlatformMessageOther, 0, type};
    }
    return PlatformMessage{WindowMessageKind(event.window.event), event.window.windowID,
                           type << 8 | event.window.event};
}

PictureFit FitOf(const SdlWindow& open) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(open.window, &width, &height);
    return FitPicture(open.pictureWidth, open.pictureHeight, width, height);
}

// The kept picture scaled into the window surface: directly when the surface holds the same
// 0x00RRGGBB pixels, else scaled aside and converted.
void ShowPicture(SdlWindow& open) {
    SDL_Surface* target = SDL_GetWindowSurface(open.window);
    if (target == nullptr || open.picture.empty() ||
        (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0)) {
        return;
    }
    PictureFit fit = FitPicture(open.pictureWidth, open.pictureHeight, target->w, target->h);
    if (target->format->format == SDL_PIXELFORMAT_RGB888) {
        ScalePicture(open.picture.data(), open.pictureWidth, open.pictureHeight,
                     static_cast<uint32_t*>(target->pixels), target->w, target->h,
                     target->pitch / static_cast<int>(sizeof(uint32_t)), fit);
    } else {
        open.scaled.resize(static_cast<std::size_t>(target->w) * target->h);
        ScalePicture(open.picture.data(), open.pictureWidth, open.pictureHeight, open.scaled.data(),
                     target->w, target->h, target->w, fit);
        SDL_ConvertPixels(target->w, target->h, SDL_PIXELFORMAT_RGB888, open.scaled.data(),
                          target->w * static_cast<int>(sizeof(uint32_t)), target->format->format,
                          target->pixels, target->pitch);
    }
    if (SDL_MUSTLOCK(target)) {
        SDL_UnlockSurface(target);
    }
    SDL_UpdateWindowSurface(open.window);
    open.presented = true;
    SDL_GetWindowSize(open.window, &open.shownWidth, &open.shownHeight);
}

// Whether the window already shows exactly this picture at its present size. An idle editor
// presents the same picture every cycle; the window keeps it (an exposed window is repainted on
// its own), so scaling and sending it again would only cost time.
bool AlreadyShown(const SdlWindow& open, const uint32_t* pixels, int32_t width, int32_t height) {
    if (!open.presented || open.pictureWidth != width || open.pictureHeight != height) {
        return false;
    }
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GetWindowSize(open.window, &windowWidth, &windowHeight);
    return windowWidth == open.shownWidth && windowHeight == open.shownHeight &&
           std::memcmp(open.picture.data(), pixels,
                       static_cast<std::size_t>(width) * height * sizeof(uint32_t)) == 0;
}

// The largest whole multiple of the picture whose window fits three quarters of the usable area
// of the display the window opens on.
int32_t WindowMultiple(int32_t x, int32_t y, int32_t width, int32_t height) {
    SDL_Point corner{x, y};
    int display = std::max(SDL_GetPointDisplayIndex(&corner), 0);
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) {
        return 1;
    }
    return OpeningMultiple(width, height, usable.w, usable.h);
}

// A screen point in the window's picture pixels.
void ToPicture(const SdlWindow& open, int32_t screenX, int32_t screenY, int32_t* x, int32_t* y) {
    int windowX = 0;
    int windowY = 0;
    SDL_GetWindowPosition(open.window, &windowX, &windowY);
    MapToPicture(FitOf(open), open.pictureWidth, open.pictureHeight, screenX - windowX,
                 screenY - windowY, x, y);
}

} // namespace

// Without a window manager the window stands where it is created; with one, the frame is placed
// at (x, y) by the default gravity, which leaves the client area inside it.
PlatformWindow PlatformWindowOpen(int32_t x, int32_t y, int32_t width, int32_t height,
                                  const char* title) {
    NoteBackendFailure(PlatformFailureNone, "");
    if (!StartVideo()) {
        return 0;
    }
    int32_t multiple = WindowMultiple(x, y, width, height);
    SDL_Window* window = SDL_CreateWindow(title, x, y, width * multiple, height * multiple,
                                          SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (window == nullptr) {
        NoteBackendFailure(PlatformFailureWindowRefused, SDL_GetError());
        return 0;
    }
    // Every present goes through the window surface: a window without one could show nothing.
    if (SDL_GetWindowSurface(window) == nullptr) {
        NoteBackendFailure(PlatformFailureSurfaceRefused, SDL_GetError());
        SDL_DestroyWindow(window);
        return 0;
    }
    windows.push_back(
        SdlWindow{window, SDL_GetWindowID(window), false, width, height, {}, {}, 0, 0});
    return windows.back().handle;
}

void NoteBackendFailure(PlatformFailure failure, const char* detail) {
    lastFailure = failure;
    lastFailureDetail = detail != nullptr ? detail : "";
}

PlatformFailure PlatformLastFailure(const char** detail) {
    *detail = lastFailureDetail.c_str();
    return lastFailure;
}

void PlatformWindowClose(PlatformWindow window) {
    SdlWindow* open = FindWindow(window);
    if (open == nullptr) {
        return;
    }
    SDL_DestroyWindow(open->window);
    windows.erase(windows.begin() + (open - windows.data()));
}

int32_t PlatformPollMessage(PlatformMessage* message) {
    SDL_Event event;
    if (!videoStarted || SDL_PollEvent(&event) == 0) {
        return 0;
    }
    *message = TranslateEvent(event);
    return 1;
}

int32_t PlatformWaitMessage(int32_t timeoutMilliseconds) {
    if (!videoStarted) {
        return 0;
    }
    if (timeoutMilliseconds < 0) {
        return SDL_WaitEvent(nullptr);
    }
    return SDL_WaitEventTimeout(nullptr, timeoutMilliseconds);
}

// A present ends the cycle that saw the reported presses; the clicks among them are over.
void PlatformPresent(PlatformWindow window, const uint32_t* pixels, int32_t width, int32_t height) {
    for (PressPoint& press : buttonPresses) {
        press.known = press.known && !(press.released && press.reported);
    }
    SdlWindow* open = FindWindow(window);
    if (open == nullptr || pixels == nullptr || width <= 0 || height <= 0 ||
        AlreadyShown(*open, pixels, width, height)) {
        return;
    }
    open->pictureWidth = width;
    open->pictureHeight = height;
    open->picture.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
    ShowPicture(*open);
}

// The picture presented last, scaled to the window's size now.
void PlatformRepaint(PlatformWindow window) {
    SdlWindow* open = FindWindow(window);
    if (open != nullptr && open->presented) {
        ShowPicture(*open);
    }
}

int32_t PlatformReadKeyboard(PlatformWindow window, uint8_t snapshot[256]) {
    SdlWindow* open = FindWindow(window);
    if (open == nullptr) {
        return 0;
    }
    SDL_PumpEvents(); // brings SDL's key states up to date and notes the presses
    if (SDL_GetKeyboardFocus() != open->window) {
        std::memset(keysWentDown, 0, sizeof keysWentDown);
        return 0;
    }
    int count = 0;
    const Uint8* states = SDL_GetKeyboardState(&count);
    std::memset(snapshot, 0, 256);
    for (const ScanCodeMapping& mapping : kKeys) {
        if (mapping.key < count && states[mapping.key] != 0) {
            snapshot[mapping.scanCode] = 0x80;
        }
    }
    for (int32_t code = 0; code < 256; ++code) {
        if (keysWentDown[code]) {
            snapshot[code] = static_cast<uint8_t>(snapshot[code] | 0x01);
        }
    }
    std::memset(keysWentDown, 0, sizeof keysWentDown);
    return 1;
}

// SDL keeps the layout's key map up to date; a letter's key code is its lower-case character.
int32_t PlatformScanCodeOfLetter(char letter) {
    auto keyCode = letter == '+'   ? SDLK_PLUS
                   : letter == '-' ? SDLK_MINUS
                                   : static_cast<SDL_Keycode>(SDLK_a + (letter - 'A'));
    SDL_Scancode position = SDL_GetScancodeFromKey(keyCode);
    if (position == SDL_SCANCODE_UNKNOWN && letter == '+') { // + on the = key, with Shift
        position = SDL_GetScancodeFromKey(SDLK_EQUALS);
    }
    for (const ScanCodeMapping& mapping : kKeys) {
        if (mapping.key == position) {
            return mapping.scanCode;
        }
    }
    return -1;
}

// On X11 the window's position is its client area's origin on the screen.
int32_t PlatformCursorPosition(PlatformWindow window, int32_t* x, int32_t* y) {
    SdlWindow* open = FindWindow(window);
    if (open == nullptr) {
        return 0;
    }
    int pointerX = 0;
    int pointerY = 0;
    SDL_GetGlobalMouseState(&pointerX, &pointerY);
    ToPicture(*open, pointerX, pointerY, x, y);
    return 1;
}

// The events that have arrived are noted first: the button may read down before its press is.
int32_t PlatformMousePressPosition(PlatformWindow window, int32_t button, int32_t* x, int32_t* y) {
    SdlWindow* open = FindWindow(window);
    if (open == nullptr) {
        return 0;
    }
    SDL_PumpEvents();
    const PressPoint* press = ButtonPress(button);
    if (press == nullptr || !press->known) {
        return 0;
    }
    ToPicture(*open, press->x, press->y, x, y);
    return 1;
}

int32_t PlatformKeyPressPosition(PlatformWindow window, int32_t scanCode, int32_t* x, int32_t* y) {
    SdlWindow* open = FindWindow(window);
    if (open == nullptr || scanCode < 0 || scanCode >= 256 || !keyPresses[scanCode].known) {
        return 0;
    }
    ToPicture(*open, keyPresses[scanCode].x, keyPresses[scanCode].y, x, y);
    return 1;
}

int32_t PlatformMouseButtons() {
    if (!videoStarted) {
        return 0;
    }
    Uint32 held = SDL_GetGlobalMouseState(nullptr, nullptr);
    int32_t buttons = 0;
    if ((held & SDL_BUTTON_LMASK) != 0) {
        buttons |= kLeftButtonBit;
    }
    if ((held & SDL_BUTTON_RMASK) != 0) {
        buttons |= kRightButtonBit;
    }
    if ((held & SDL_BUTTON_MMASK) != 0) {
        buttons |= kMiddleButtonBit;
    }
    return buttons;
}

int32_t PlatformMousePresses() {
    if (!videoStarted) {
        return 0;
    }
    SDL_PumpEvents(); // lets the event filter note the presses that have arrived
    int32_t presses = pressesSinceQuery;
    pressesSinceQuery = 0;
    for (int32_t bit : {kLeftButtonBit, kRightButtonBit, kMiddleButtonBit}) {
        if ((presses & bit) != 0) {
            ButtonPress(bit)->reported = true;
        }
    }
    return presses;
}

int32_t PlatformMouseWheel() {
    if (!videoStarted) {
        return 0;
    }
    SDL_PumpEvents(); // lets the event filter note the wheel events that have arrived
    int32_t notches = wheelSinceQuery;
    wheelSinceQuery = 0;
    return notches;
}

// The counter is the monotonic clock in nanoseconds, the clock that an absolute sleep can name,
// so a frame wait can sleep to its deadline rather than for a span that starts late.
int64_t PlatformCounter() {
    timespec now{};
    while (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
    }
    return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

int64_t PlatformCounterFrequency() {
    return kNanosecondsPerSecond;
}

void PlatformSleepMicroseconds(int64_t microseconds) {
    if (microseconds > 0) {
        PlatformSleepUntil(PlatformCounter() + microseconds * 1000);
    }
}

void PlatformSleepUntil(int64_t counter) {
    if (counter <= 0) {
        return;
    }
    const timespec deadline{static_cast<time_t>(counter / kNanosecondsPerSecond),
                            static_cast<long>(counter % kNanosecondsPerSecond)};
    // A signal ends the sleep early; the deadline stays the same, so sleeping on is exact.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}
