// browseForFolder: the shell's folder picker.
#include "app/preferences_dialog.h"

#include <shlobj.h>

namespace kestrune {

std::string browseForFolder(MessageBoxes& boxes, const std::string& start,
                            const std::string& title)
{
    std::string result = start;
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr)
        return result;
    // The owner is the program's main window: the active top-level window of
    // this thread, or none.
    HWND owner = GetActiveWindow();
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST picked = SHBrowseForFolderA(&info);
    if (picked != nullptr) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(picked, path) && path[0] != '\0')
            result = path;
        else
            showPlainMessage(boxes, owner, "Cannot use this path for extraction");
        allocator->Free(picked);
    }
    allocator->Release();
    return result;
}

}  // namespace kestrune
