// The real backend's note of why its last window or requester could not be opened, shared by the
// window half (backend_sdl.cpp) and the requester half (backend_sdl_dialogs.cpp) and read through
// PlatformLastFailure.
#pragma once

#include "runtime/platform.h"

// Records the failure and the system's words for it; PlatformFailureNone clears the note.
void NoteBackendFailure(PlatformFailure failure, const char* detail);
