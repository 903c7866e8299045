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

// A registry key that this program opened or created (never one of the
// predefined root keys, which must not be closed).
class RegistryKey {
public:
    explicit RegistryKey(HKEY key = nullptr) : key_(key) {}
    ~RegistryKey() { reset(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept : key_(other.release()) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    HKEY get() const { return key_; }
    bool valid() const { return key_ != nullptr; }
    HKEY release()
    {
        HKEY k = key_;
        key_ = nullptr;
        return k;
    }
    // Closes the key held; true when there was none or it closed cleanly.
    bool reset(HKEY key = nullptr)
    {
        bool ok = true;
        if (key_ != nullptr)
            ok = RegCloseKey(key_) == ERROR_SUCCESS;
        key_ = key;
        return ok;
    }
    // Closes the key held and opens `path` below `root` with `access`
    // (RegOpenKeyExA). Returns the registry's result; the object holds a key
    // only when that is ERROR_SUCCESS.
    LONG open(HKEY root, const char* path, REGSAM access)
    {
        reset();
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(root, path, 0, access, &key);
        if (result == ERROR_SUCCESS)
            key_ = key;
        return result;
    }
    // As open, with RegCreateKeyA: opens `path` or creates it with the
    // folders above it.
    LONG create(HKEY root, const char* path)
    {
        reset();
        HKEY key = nullptr;
        LONG result = RegCreateKeyA(root, path, &key);
        if (result == ERROR_SUCCESS)
            key_ = key;
        return result;
    }

private:
    HKEY key_;
};

// A search handle of FindFirstFile; INVALID_HANDLE_VALUE means "none".
class FindHandle {
public:
    explicit FindHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~FindHandle() { reset(); }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (valid())
            FindClose(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};

}  // namespace kestrune
