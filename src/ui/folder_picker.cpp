// pickFolder: SHBrowseForFolderA and its item list.
#include "ui/folder_picker.h"

#include <shlobj.h>

namespace kestrune {

std::string pickFolder(MessageBoxes& boxes, HWND owner, const std::string& title,
                       const std::string& cannotUseText)
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr)
        return std::string();
    char displayName[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    std::string folder;
    LPITEMIDLIST picked = SHBrowseForFolderA(&info);
    if (picked != nullptr) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(picked, path) && path[0] != '\0')
            folder = path;
        else
            showPlainMessage(boxes, owner, cannotUseText);
        allocator->Free(picked);
    }
    allocator->Release();
    return folder;
}

}  // namespace kestrune
