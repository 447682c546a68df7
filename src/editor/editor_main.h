// The program: start-up, the main loop and shutdown.
#pragma once

#include <cstdint>

// Runs the whole editor and returns the exit code (0).
int EditorMain(int argc, char** argv);

// The parts of EditorMain, for scripted sessions.
void EditorStartup(int argc, char** argv);
bool RunEditorCycle(); // one cycle; false once Escape was seen (the cycle is drawn and presented)
void EditorShutdown();
