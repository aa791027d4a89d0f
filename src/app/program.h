#pragma once

// Names the application for the platform. No display name is set: the window system would
// append it to every window title, which is to be the window's caption alone.
void setApplicationNames();

// Runs the program: the start-up sequence, then the event loop until the main window closes.
int runProgram(int argc, char* argv[]);
