// test_library.dll: a DLL with exports but no registering entries, which
// regsvr32 would load for nothing.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI Answer()
{
    return 42;
}

extern "C" __declspec(dllexport) int WINAPI DllUnregisterServerLater()
{
    return 0;
}
