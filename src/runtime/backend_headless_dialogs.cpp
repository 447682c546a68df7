// Requesters of the headless backend: file choosers take their answers from a queue that tests
// fill, message boxes return at once, and every requester shown is recorded for inspection.
#include <cstring>
#include <deque>
#include <string>

#include "runtime/headless.h"
#include "runtime/platform.h"

namespace {

std::deque<std::string> queuedAnswers;
std::vector<HeadlessRequest> shownRequests;

std::string TextOrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

} // namespace

void HeadlessQueueFileAnswer(const std::string& path) {
    queuedAnswers.push_back(path);
}

const std::vector<HeadlessRequest>& HeadlessRequests() {
    return shownRequests;
}

void HeadlessResetDialogs() {
    queuedAnswers.clear();
    shownRequests.clear();
}

int32_t PlatformAskFileName(const char* title, const char* folder, const char* name,
                            const PlatformFileFilter* filters, int32_t filterCount,
                            int32_t selectedFilter, const char* place, int32_t save, char* result,
                            int32_t capacity) {
    HeadlessRequest request{TextOrEmpty(title), TextOrEmpty(folder), TextOrEmpty(name), false};
    for (int32_t index = 0; index < filterCount; ++index) {
        request.filters.push_back(TextOrEmpty(filters[index].description) + "|" +
                                  TextOrEmpty(filters[index].patterns));
    }
    request.selectedFilter = selectedFilter;
    request.place = TextOrEmpty(place);
    request.save = save != 0;
    if (HeadlessRequesterFailure() != PlatformFailureNone) {
        return -1;
    }
    shownRequests.push_back(request);
    if (queuedAnswers.empty()) {
        return 0;
    }
    std::string answer = queuedAnswers.front();
    queuedAnswers.pop_front();
    if (answer.empty() || capacity <= 0 || answer.size() >= static_cast<std::size_t>(capacity)) {
        return 0;
    }
    std::memcpy(result, answer.c_str(), answer.size() + 1);
    return 1;
}

void PlatformMessageBox(const char* title, const char* text) {
    if (HeadlessRequesterFailure() != PlatformFailureNone) {
        return;
    }
    shownRequests.push_back({TextOrEmpty(title), "", TextOrEmpty(text), true});
}
