// The runtime's start-up and shutdown sequences, run around the editor's own initialisation and
// main loop.
#pragma once

// Program heap first, then every runtime subsystem in its fixed order. argc and argv are the
// program's argument vector, from which CommandLineArgument takes its tokens.
void RuntimeStartup(int argc, char** argv);
// The runtime's shutdown steps, then the program heap. Does not end the process.
void RuntimeShutdown();
