// Reading a file's bytes at given offsets.
#include "platform/file_bytes.h"
#include "platform/wide_paths.h"

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

}  // namespace kestrune
