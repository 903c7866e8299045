// A stand-in for a parasite's running program and for a program that keeps a
// parasite's file busy, in the removal tests.
//
//   removal_helper wait          runs until it is ended
//   removal_helper hold FILE     opens FILE without sharing and runs until
//                                it is ended (creates FILE when missing)
//   removal_helper hold-shared FILE
//                                the same, sharing FILE for reading, writing
//                                and deleting
//   removal_helper sleep MS      ends after MS milliseconds (a pause for
//                                batch files)
//   removal_helper processes     prints "<id> <image name>" for every
//                                running process, one a line
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "wait") == 0) {
        Sleep(INFINITE);
        return 0;
    }
    const bool shared = argc == 3 && std::strcmp(argv[1], "hold-shared") == 0;
    if (shared || (argc == 3 && std::strcmp(argv[1], "hold") == 0)) {
        const DWORD sharing =
            shared ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0;
        HANDLE file = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, sharing, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 2;
        Sleep(INFINITE);
        CloseHandle(file);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "processes") == 0) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return 2;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry))
            std::printf("%lu %s\n", entry.th32ProcessID, entry.szExeFile);
        CloseHandle(snapshot);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "sleep") == 0) {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return 0;
    }
    return 1;
}
