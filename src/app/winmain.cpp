// Kestrune.exe's entry point: runs the application object's start-up and
// finish, nothing else. An exception that reaches it ends the program with
// exit code 1 (platform/boundary.h).
#include "app/app_instance.h"
#include "platform/boundary.h"

#include <windows.h>

namespace {

// The one application object of the process.
kestrune::AppInstance theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return kestrune::mainBoundary("WinMain", 1, [] {
        theApp.start();
        theApp.finish();
        return 0;
    });
}
