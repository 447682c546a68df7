// One piece of work at a time beside the program thread: on a thread of its own where the
// platform has threads (background_work.cpp); a build without threads does it at once, in the
// caller (backend_web_work.cpp). The program thread stays the only one that touches the runtime.
#pragma once

#include <functional>

// Waits for the work started before, then starts this one; false when it could not be started
// (it did not run).
bool BackgroundWorkStart(std::function<void()> work);
bool BackgroundWorkRunning(); // the work started last has not finished yet
void BackgroundWorkWait();    // until the work started last has finished
