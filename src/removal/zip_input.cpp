// Reading an archive through two buffers.
#include "removal/zip_input.h"

#include "platform/boundary.h"
#include "platform/handles.h"
#include "platform/wide_paths.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace kestrune {

namespace {

// The archive's bytes through two read buffers. minizip seeks before nearly
// every read, and while it walks the entries it goes back and forth between
// the directory at the end and the entries' own headers: with a buffer for
// each, a seek within them costs no system call, which makes a big
// archive's thousands of small entries quick to walk.
class BufferedFile {
public:
    explicit BufferedFile(HANDLE file) : file_(file) {}

    uLong read(void* into, uLong size)
    {
        char* out = static_cast<char*>(into);
        uLong done = 0;
        while (done < size) {
            Window* window = windowAt(position_);
            if (window == nullptr && (window = fill(position_)) == nullptr)
                break;
            const size_t offset = static_cast<size_t>(position_ - window->start);
            const size_t count = std::min<size_t>(size - done, window->filled - offset);
            std::memcpy(out + done, window->bytes.data() + offset, count);
            done += static_cast<uLong>(count);
            position_ += count;
        }
        return done;
    }
    ZPOS64_T tell() const { return position_; }
    long seek(ZPOS64_T offset, int origin)
    {
        LARGE_INTEGER size;
        if (origin == ZLIB_FILEFUNC_SEEK_SET) {
            position_ = offset;
        } else if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
            position_ += offset;
        } else if (GetFileSizeEx(file_.get(), &size)) {
            position_ = static_cast<ZPOS64_T>(size.QuadPart) + offset;
        } else {
            return -1;
        }
        return 0;
    }
    bool failed() const { return failed_; }

private:
    struct Window {
        std::vector<char> bytes = std::vector<char>(65536);
        ZPOS64_T start = 0;   // the file offset of its first byte
        size_t filled = 0;
        unsigned long used = 0;
    };

    Window* windowAt(ZPOS64_T at)
    {
        for (Window& window : windows_) {
            if (at >= window.start && at < window.start + window.filled) {
                window.used = ++uses_;
                return &window;
            }
        }
        return nullptr;
    }
    // Refills the window used longest ago from `at`; null at the end of the
    // file or when it cannot be read.
    Window* fill(ZPOS64_T at)
    {
        Window& window = windows_[0].used < windows_[1].used ? windows_[0] : windows_[1];
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(at);
        DWORD got = 0;
        window.filled = 0;
        if (!SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN) ||
            !ReadFile(file_.get(), window.bytes.data(), static_cast<DWORD>(window.bytes.size()),
                      &got, nullptr)) {
            failed_ = true;
            return nullptr;
        }
        window.start = at;
        window.filled = got;
        window.used = ++uses_;
        return got == 0 ? nullptr : &window;
    }

    ScopedHandle file_;
    Window windows_[2];
    unsigned long uses_ = 0;
    ZPOS64_T position_ = 0;
    bool failed_ = false;
};

// minizip's callbacks: C code calls them. Only the open allocates; out of
// memory there (the path's wide form, the buffers) is a file that does not
// open. A BufferedFile whose buffers fail has closed its handle.
voidpf ZCALLBACK openBuffered(voidpf, const void* path, int mode)
{
    return guarded(
        "archive open",
        [&]() -> voidpf {
            if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
                return nullptr;
            HANDLE file = openFileAt(static_cast<const char*>(path), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL);
            if (file == INVALID_HANDLE_VALUE)
                return nullptr;
            BufferedFile* opened = new (std::nothrow) BufferedFile(file);
            if (opened == nullptr)
                CloseHandle(file);
            return opened;
        },
        []() -> voidpf { return nullptr; });
}

uLong ZCALLBACK readBuffered(voidpf, voidpf stream, void* into, uLong size)
{
    return static_cast<BufferedFile*>(stream)->read(into, size);
}

uLong ZCALLBACK writeNothing(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK tellBuffered(voidpf, voidpf stream)
{
    return static_cast<BufferedFile*>(stream)->tell();
}

long ZCALLBACK seekBuffered(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    return static_cast<BufferedFile*>(stream)->seek(offset, origin);
}

int ZCALLBACK closeBuffered(voidpf, voidpf stream)
{
    delete static_cast<BufferedFile*>(stream);
    return 0;
}

int ZCALLBACK bufferedError(voidpf, voidpf stream)
{
    return static_cast<BufferedFile*>(stream)->failed() ? 1 : 0;
}

}  // namespace

ZipReader::ZipReader(const std::string& path)
{
    zlib_filefunc64_def functions = {openBuffered, readBuffered, writeNothing, tellBuffered,
                                     seekBuffered, closeBuffered, bufferedError, nullptr};
    zip_ = unzOpen2_64(path.c_str(), &functions);
}

ZipReader::~ZipReader()
{
    if (zip_ != nullptr)
        unzClose(zip_);
}

}  // namespace kestrune
