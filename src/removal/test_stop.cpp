// The crash tests' stop hook.
#include "removal/test_stop.h"

#include <windows.h>

#include <cstring>

namespace kestrune {

const char kStopDuringCopies[] = "copies";
const char kStopWhilePacking[] = "packing";
const char kStopBeforeRemoval[] = "archive";
const char kStopDuringRemoval[] = "removal";
const char kStopBeforeMove[] = "restore-write";
const char kStopBetweenItems[] = "restore-between";

void stopHereForTests(const char* step)
{
    char wanted[32];
    const DWORD length = GetEnvironmentVariableA("KESTRUNE_TEST_STOP_AT", wanted, sizeof wanted);
    if (length == 0 || length >= sizeof wanted || std::strcmp(wanted, step) != 0)
        return;
    TerminateProcess(GetCurrentProcess(), 99);
}

void stopBeforeMoveForTests()
{
    stopHereForTests(kStopBeforeMove);
}

}  // namespace kestrune
