// The whole program: the command line read, and the hand-over to the editor, the picture command
// or the clip import.
#pragma once

// Reads the command line and runs what it asks for. Returns the exit code: 0 when done, 1 when
// the editor could not start or a picture could not be written, 2 for a wrong command line.
int RunProgram(int argc, char** argv);
