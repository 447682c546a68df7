// Background work on a thread of its own, joined before the next one starts.
#include "runtime/background_work.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace {

std::thread worker;
std::atomic<bool> running{false};

} // namespace

bool BackgroundWorkStart(std::function<void()> work) {
    BackgroundWorkWait();
    running = true;
    try {
        worker = std::thread([work = std::move(work)] {
            work();
            running = false;
        });
    } catch (const std::system_error&) {
        running = false; // no thread to be had
        return false;
    }
    return true;
}

bool BackgroundWorkRunning() {
    return running;
}

void BackgroundWorkWait() {
    if (worker.joinable()) {
        worker.join();
    }
}
