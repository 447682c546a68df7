// Numbered top-level windows and the event pump: the window table, the queue of events that
// dispatching a platform message leaves behind, and the mapping of messages onto event codes.
#include "runtime/window.h"

#include <string>

#include "runtime/codepage.h"
#include "runtime/heaps.h"
#include "runtime/object_table.h"
#include "runtime/platform.h"

namespace {

struct WindowRecord {
    PlatformWindow nativeHandle; // non-zero while the slot is in use
    int32_t clientWidth;
    int32_t clientHeight;
    int32_t minimisedOrMaximised; // set by a minimise or maximise, cleared by the restore
};

struct EventNode {
    EventNode* next;
    int32_t code;
    int32_t window;
};

constexpr int32_t kWindowTableGrowth = 16;
constexpr int32_t kNoWindow = -1;

ObjectTable windowTable;
bool windowTableCreated = false;

// The queue runs from head (oldest) to tail (newest); nodes live in the program heap.
EventNode* queueHead = nullptr;
EventNode* queueTail = nullptr;
int32_t currentEventWindow = kNoWindow;

WindowRecord* FindWindow(int32_t number) {
    if (!windowTableCreated) {
        return nullptr;
    }
    return static_cast<WindowRecord*>(ObjectTableFind(&windowTable, number));
}

int32_t WindowNumberOf(PlatformWindow handle) {
    if (!windowTableCreated || handle == 0) {
        return kNoWindow;
    }
    int32_t number = kNoWindow;
    for (void* slot = ObjectTableFirst(&windowTable, &number); slot != nullptr;
         slot = ObjectTableNext(&windowTable, &number)) {
        if (static_cast<WindowRecord*>(slot)->nativeHandle == handle) {
            return number;
        }
    }
    return kNoWindow;
}

bool TakeQueuedEvent(int32_t* code) {
    EventNode* node = queueHead;
    if (node == nullptr) {
        return false;
    }
    queueHead = node->next;
    if (queueHead == nullptr) {
        queueTail = nullptr;
    }
    *code = node->code;
    currentEventWindow = node->window;
    ProgramHeapFree(node);
    return true;
}

void ClearEventQueue() {
    int32_t code = 0;
    while (TakeQueuedEvent(&code)) {
    }
    currentEventWindow = kNoWindow;
}

// A minimise or maximise queues its own code before the size event; a restore does so only when
// it undoes one of them.
void QueueSizeChange(WindowRecord* record, int32_t number, PlatformMessageKind kind) {
    if (kind == PlatformMessageMinimised || kind == PlatformMessageMaximised) {
        record->minimisedOrMaximised = 1;
        QueueWindowEvent(kind == PlatformMessageMinimised ? EventMinimised : EventMaximised,
                         number);
    } else if (kind == PlatformMessageRestored && record->minimisedOrMaximised != 0) {
        record->minimisedOrMaximised = 0;
        QueueWindowEvent(EventRestored, number);
    }
    QueueWindowEvent(EventSized, number);
}

// The window procedure: turns one message into queued events. Moves, close requests and size
// changes count only for runtime windows; activation and exposure are queued for any window.
void DispatchMessage(const PlatformMessage& message) {
    int32_t number = WindowNumberOf(message.window);
    WindowRecord* record = number == kNoWindow ? nullptr : FindWindow(number);
    switch (message.kind) {
    case PlatformMessageMoved:
    case PlatformMessageCloseRequest:
        if (record != nullptr) {
            QueueWindowEvent(message.kind == PlatformMessageMoved ? EventMoved : EventCloseRequest,
                             number);
        }
        break;
    case PlatformMessageMinimised:
    case PlatformMessageMaximised:
    case PlatformMessageRestored:
    case PlatformMessageResized:
        if (record != nullptr) {
            QueueSizeChange(record, number, message.kind);
        }
        break;
    case PlatformMessageActivated:
        QueueWindowEvent(EventActivated, number);
        break;
    case PlatformMessageExposed:
        PlatformRepaint(message.window); // shows the frame presented last, without pacing
        QueueWindowEvent(EventEraseBackground, number);
        break;
    default:
        break;
    }
}

bool ReceiveMessage(int32_t timeoutMilliseconds, PlatformMessage* message) {
    if (PlatformPollMessage(message) != 0) {
        return true;
    }
    if (timeoutMilliseconds == 0 || PlatformWaitMessage(timeoutMilliseconds) == 0) {
        return false;
    }
    return PlatformPollMessage(message) != 0;
}

} // namespace

void WindowSubsystemInit() {
    if (!windowTableCreated) {
        ObjectTableCreate(&windowTable, sizeof(WindowRecord), kWindowTableGrowth, WindowClose);
        windowTableCreated = true;
    }
    ClearEventQueue();
}

void WindowSubsystemShutdown() {
    if (!windowTableCreated) {
        return;
    }
    // Closing frees the slot, so the first window left is always a new one.
    int32_t number = kNoWindow;
    while (ObjectTableFirst(&windowTable, &number) != nullptr) {
        WindowClose(number);
    }
    ClearEventQueue();
    // The table lives in the program heap, which the program destroys next: a later start-up
    // must build a new one rather than reach into freed memory.
    windowTable = ObjectTable{};
    windowTableCreated = false;
}

// The style flags ask for what every platform window here is anyway: a caption, a system menu, a
// minimise box and a fixed size; centring and opening hidden or minimised are not offered.
intptr_t WindowOpen(int32_t number, int32_t x, int32_t y, int32_t innerWidth, int32_t innerHeight,
                    const char* title, [[maybe_unused]] int32_t flags) {
    if (!windowTableCreated || innerWidth <= 0 || innerHeight <= 0) {
        return 0;
    }
    int32_t assigned = kNoWindow;
    auto* record = static_cast<WindowRecord*>(ObjectTableTake(&windowTable, number, &assigned));
    if (record == nullptr) {
        return 0;
    }
    std::string utf8Title = Cp1252ToUtf8(title);
    PlatformWindow handle = PlatformWindowOpen(x, y, innerWidth, innerHeight, utf8Title.c_str());
    if (handle == 0) {
        ObjectTableFree(&windowTable, assigned);
        return 0;
    }
    *record = WindowRecord{handle, innerWidth, innerHeight, 0};
    return number == kAutomaticNumber ? assigned : handle;
}

intptr_t WindowNativeHandle(int32_t number) {
    const WindowRecord* record = FindWindow(number);
    return record == nullptr ? 0 : record->nativeHandle;
}

int32_t WindowClientSize(int32_t number, int32_t* width, int32_t* height) {
    const WindowRecord* record = FindWindow(number);
    *width = record == nullptr ? 0 : record->clientWidth;
    *height = record == nullptr ? 0 : record->clientHeight;
    return record == nullptr ? 0 : 1;
}

void WindowClose(int32_t number) {
    const WindowRecord* record = FindWindow(number);
    if (record == nullptr) {
        return;
    }
    PlatformWindow handle = record->nativeHandle;
    ObjectTableFree(&windowTable, number);
    PlatformWindowClose(handle);
}

int32_t PollWindowEvent() {
    return AwaitWindowEvent(0);
}

// Queued events come first. Otherwise one message is taken and dispatched; the first event it
// queued is returned at once, and a message that queues none returns its own code.
int32_t AwaitWindowEvent(int32_t timeoutMilliseconds) {
    int32_t code = 0;
    if (TakeQueuedEvent(&code)) {
        return code;
    }
    PlatformMessage message{};
    if (!ReceiveMessage(timeoutMilliseconds, &message)) {
        currentEventWindow = kNoWindow;
        return 0;
    }
    DispatchMessage(message);
    if (TakeQueuedEvent(&code)) {
        return code;
    }
    currentEventWindow = WindowNumberOf(message.window);
    return message.code;
}

int32_t WindowEventWindow() {
    return currentEventWindow;
}

void QueueWindowEvent(int32_t code, int32_t window) {
    if (queueTail != nullptr && queueTail->code == code && queueTail->window == window) {
        return;
    }
    auto* node = static_cast<EventNode*>(ProgramHeapAllocate(sizeof(EventNode)));
    if (node == nullptr) {
        return;
    }
    *node = EventNode{nullptr, code, window};
    if (queueTail == nullptr) {
        queueHead = node;
    } else {
        queueTail->next = node;
    }
    queueTail = node;
}
