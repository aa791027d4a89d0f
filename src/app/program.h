#pragma once

// Runs the program: the start-up sequence, then the event loop until the main window closes.
int runProgram(int argc, char* argv[]);
