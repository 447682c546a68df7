// Background work in the browser build, which has no threads: the work is done at once, in the
// caller, so it has always finished by the time anyone asks.
#include "runtime/background_work.h"

bool BackgroundWorkStart(std::function<void()> work) {
    work();
    return true;
}

bool BackgroundWorkRunning() {
    return false;
}

void BackgroundWorkWait() {}
