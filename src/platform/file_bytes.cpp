// Reading a file's bytes at given offsets; whole-file reads and writes.
#include "platform/file_bytes.h"
#include "platform/wide_paths.h"

#include <exception>

namespace kestrune {

FileBytes::FileBytes(const std::string& path)
    : file_(openFileAt(path, GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
{
    LARGE_INTEGER size;
    if (file_.valid() && GetFileSizeEx(file_.get(), &size))
        size_ = static_cast<std::uint64_t>(size.QuadPart);
    else
        file_.reset();
}

bool FileBytes::read(std::uint64_t offset, void* buffer, std::uint32_t count) const
{
    if (!file_.valid())
        return false;
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    return ReadFile(file_.get(), buffer, count, &done, &at) && done == count;
}

PeExport fileExports(const std::string& path, const std::string& name)
{
    FileBytes bytes(path);
    if (!bytes.opened())
        return PeExport::Unreadable;
    return peExports(bytes, name);
}

PeBitness fileBitness(const std::string& path)
{
    FileBytes bytes(path);
    return bytes.opened() ? peBitness(bytes) : PeBitness::Unknown;
}

bool readWholeFile(const std::string& path, std::string& bytes, DWORD share)
{
    bytes.clear();
    ScopedHandle file(openFileAt(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL));
    if (!file.valid())
        return false;
    DWORD high = 0;
    DWORD low = GetFileSize(file.get(), &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || low > 0x7FFFFFF0u)
        return false;
    try {
        bytes.resize(low);
    } catch (const std::exception&) {   // bad_alloc, length_error
        return false;
    }
    DWORD total = 0;
    while (total < low) {
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[total], low - total, &got, nullptr)) {
            std::string().swap(bytes);
            return false;
        }
        if (got == 0)
            break;
        total += got;
    }
    bytes.resize(total);
    if (!file.reset()) {
        std::string().swap(bytes);
        return false;
    }
    return true;
}

namespace {

bool writeAll(ScopedHandle& file, const std::string& bytes)
{
    if (!file.valid())
        return false;
    DWORD written = 0;
    const bool whole = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                 &written, nullptr) != FALSE &&
                       written == bytes.size();
    return file.reset() && whole;
}

}  // namespace

bool writeWholeFile(const std::string& path, const std::string& bytes)
{
    ScopedHandle file(openFileAt(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL));
    return writeAll(file, bytes);
}

bool appendToFile(const std::string& path, const std::string& bytes)
{
    ScopedHandle file(openFileAt(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL));
    return writeAll(file, bytes);
}

}  // namespace kestrune
