// test_component.dll: a component as regsvr32 knows one. It exports the
// registering entries, and its DllUnregisterServer appends a line to
// "<its own path>.unregistered", so that a test sees that regsvr32 called it.
#include <windows.h>

#include <string>

namespace {

HMODULE self = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow()
{
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer()
{
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return E_FAIL;
    const std::string marker = std::string(path, length) + ".unregistered";
    HANDLE file = CreateFileA(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return E_FAIL;
    DWORD written = 0;
    WriteFile(file, "unregistered\r\n", 14, &written, nullptr);
    CloseHandle(file);
    return S_OK;
}
