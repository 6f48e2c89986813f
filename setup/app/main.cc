// setup.exe: the application object; the framework's entry point runs it.
#include "setup/app/setup_app.h"

SetupApp theApp;
