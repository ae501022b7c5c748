// The program's own entry, called by the platform's entry point once it has made the
// process safe to run (DLL search) and installed the user-interface backend: the terminal
// on Linux, native windows on Windows. Returns the exit status.
#pragma once

int ProgramMain();
