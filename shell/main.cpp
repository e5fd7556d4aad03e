#include <windows.h>

#include "shell/startup.h"

// No command line and no show state are used: the window is always shown.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return shell::RunProgram(); }
