// The program: start-up, the main loop and shutdown.
#pragma once

#include <cstdint>

// Runs the whole editor and returns the exit code: 0 after Escape, 1 when it could not start (the
// reason then stands on the error output). argv[1], when given, is the animation's path; without
// it the file chooser asks.
int EditorMain(int argc, char** argv);

// The parts of EditorMain, for scripted sessions. Start-up returns null, or the line that says
// what could not be made; EditorRelease then releases what was, without saving anything.
const char* EditorStartup(int argc, char** argv);
void EditorRelease();
bool RunEditorCycle(); // one cycle; false once Escape was seen (the cycle is drawn and presented)
void EditorShutdown();
