// Small owning wrappers for Win32 handles: each closes what it holds on every
// path and cannot be copied.
#pragma once

#include <windows.h>

namespace kestrune {

// A kernel handle; both NULL and INVALID_HANDLE_VALUE mean "none".
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release()
    {
        HANDLE h = handle_;
        handle_ = nullptr;
        return h;
    }
    // Closes the handle held; true when there was none or it closed cleanly.
    bool reset(HANDLE handle = nullptr)
    {
        bool ok = true;
        if (valid())
            ok = CloseHandle(handle_) != FALSE;
        handle_ = handle;
        return ok;
    }

private:
    HANDLE handle_;
};

}  // namespace kestrune
