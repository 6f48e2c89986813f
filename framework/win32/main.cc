// The entry point of a windowed program built on the framework: it runs the
// program's one application object. Linked into each program (not the
// library) so that the C runtime finds it.
#include "framework/app.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return fw::RunApplication(); }
