// Small owning wrappers for user-interface handles (GDI objects, icons, menus,
// image lists): each frees what it holds on every path and cannot be copied.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace kestrune {

// Owns one handle of type H and frees it with Free. A null handle means none.
template <typename H, BOOL(WINAPI* Free)(H)>
class ScopedGuiHandle {
public:
    explicit ScopedGuiHandle(H handle = nullptr) : handle_(handle) {}
    ~ScopedGuiHandle() { reset(); }
    ScopedGuiHandle(const ScopedGuiHandle&) = delete;
    ScopedGuiHandle& operator=(const ScopedGuiHandle&) = delete;
    ScopedGuiHandle(ScopedGuiHandle&& other) noexcept : handle_(other.release()) {}
    ScopedGuiHandle& operator=(ScopedGuiHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    H get() const { return handle_; }
    bool valid() const { return handle_ != nullptr; }
    H release()
    {
        H h = handle_;
        handle_ = nullptr;
        return h;
    }
    void reset(H handle = nullptr)
    {
        if (handle_ != nullptr)
            Free(handle_);
        handle_ = handle;
    }

private:
    H handle_;
};

inline BOOL WINAPI destroyImageList(HIMAGELIST list) { return ImageList_Destroy(list); }

// GDI objects keep their own handle type, so that a bitmap cannot be passed
// for a font.
template <typename H>
BOOL WINAPI deleteGdiObject(H object)
{
    return DeleteObject(object);
}

using ScopedBitmap = ScopedGuiHandle<HBITMAP, deleteGdiObject<HBITMAP>>;
using ScopedFont = ScopedGuiHandle<HFONT, deleteGdiObject<HFONT>>;
using ScopedBrush = ScopedGuiHandle<HBRUSH, deleteGdiObject<HBRUSH>>;
using ScopedIcon = ScopedGuiHandle<HICON, DestroyIcon>;
using ScopedMenu = ScopedGuiHandle<HMENU, DestroyMenu>;
using ScopedImageList = ScopedGuiHandle<HIMAGELIST, destroyImageList>;

// A memory device context compatible with another one; deleted on destruction.
class ScopedMemoryDC {
public:
    explicit ScopedMemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDC()
    {
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
    HDC get() const { return dc_; }
    bool valid() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelection()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace kestrune
