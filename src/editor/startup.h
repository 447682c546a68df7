// The program's start-up and shutdown sequences over every layer, run around the editor's own
// initialisation and main loop, and around the picture command.
#pragma once

// The start-up the editor and the picture command share: the program heap, every runtime
// subsystem, the editor state with its animation, and the font. Returns null, or the line that says
// what could not be made; ProgramRelease then releases what was, and so it does after a full run
// once the caller has closed its surface and window.
const char* ProgramStartup(int argc, char** argv);
void ProgramRelease();

// Every runtime subsystem in its fixed order; the program heap must exist already. argc and argv
// are the program's argument vector, from which CommandLineArgument takes its tokens.
void RuntimeStartup(int argc, char** argv);
// The runtime's shutdown steps, in their order. The program heap stays for the caller to destroy.
void RuntimeShutdown();
