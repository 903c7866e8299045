// pickFolder: SHBrowseForFolderA and its item list, read back in UTF-16.
#include "ui/folder_picker.h"

#include "platform/registry_walk.h"

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
        // In UTF-16: the 8-bit call holds MAX_PATH bytes, fewer characters
        // than a UTF-8 path may have.
        wchar_t path[MAX_PATH + 1] = L"";
        if (SHGetPathFromIDListW(picked, path) && path[0] != L'\0')
            folder = narrowAnsi(path);
        if (folder.empty())
            showPlainMessage(boxes, owner, cannotUseText);
        allocator->Free(picked);
    }
    allocator->Release();
    return folder;
}

}  // namespace kestrune
