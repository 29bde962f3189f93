// The program's entry point: the whole command line, the program's name first, as
// the parser reads it.
#include <windows.h>

#include "app/startup_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    return app_main(instance, show_command, GetCommandLineA());
}
