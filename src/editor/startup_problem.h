// What the editor says when it cannot start: one line naming what is missing and how the user can
// supply it, with the system's own words where it gives any.
#pragma once

enum class StartupStep { Memory, Font, FileChooser, Window, Surface };

// The line for a start-up step that failed, refined by the platform's last failure; it stays valid
// until the next call.
const char* StartupProblem(StartupStep step);
