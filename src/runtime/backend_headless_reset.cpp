// The headless backend's one reset: each of its parts forgets what it keeps. The parts use the
// windows' state (the clock, the scripted failures) and never the reset.
#include "runtime/headless.h"

void HeadlessReset() {
    HeadlessResetWindows();
    HeadlessResetDialogs();
    HeadlessResetAudio();
}
