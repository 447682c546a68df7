// The program's start-up and shutdown sequences over every layer, run around the editor's own
// initialisation and main loop, and around the picture command.
#pragma once

// Every runtime subsystem in its fixed order; the program heap must exist already. argc and argv
// are the program's argument vector, from which CommandLineArgument takes its tokens.
void RuntimeStartup(int argc, char** argv);
// The runtime's shutdown steps, in their order. The program heap stays for the caller to destroy.
void RuntimeShutdown();
