// The backup reader's access to an archive: minizip's reader over the file
// through two read buffers, so that walking an archive of hundreds of
// thousands of small entries costs few system calls.
#pragma once

#include <minizip/unzip.h>

#include <string>

namespace kestrune {

// An archive opened for reading (get() is null when it could not be opened
// as one); closed on destruction.
class ZipReader {
public:
    explicit ZipReader(const std::string& path);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    unzFile get() const { return zip_; }

private:
    unzFile zip_ = nullptr;
};

}  // namespace kestrune
