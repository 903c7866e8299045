// Kestrune.exe's entry point: runs the application object's start-up and
// finish, nothing else.
#include "app/app_instance.h"

#include <windows.h>

namespace {

// The one application object of the process.
kestrune::AppInstance theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    theApp.start();
    theApp.finish();
    return 0;
}
