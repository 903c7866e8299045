// BackupArchive: the small zip writer of the backup, over minizip. Entries are
// deflated at the default level and carry no time stamp, attributes, extra
// fields or comments. One object writes at most one archive at a time;
// destroying it closes the archive. Window thread only.
#pragma once

#include <minizip/zip.h>

#include <optional>
#include <string>

namespace kestrune {

// A zip file being written; closed (without a comment) on destruction.
class ZipWriter {
public:
    ZipWriter() = default;
    ~ZipWriter() { close(); }
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Creates `path` (an existing file is replaced) or, with `append`, adds
    // to the end of an existing archive. Closes what was open first.
    bool open(const std::string& path, bool append);
    zipFile get() const { return zip_; }
    bool isOpen() const { return zip_ != nullptr; }
    // True when nothing was open or zipClose succeeded.
    bool close();

private:
    zipFile zip_ = nullptr;
};

class BackupArchive {
public:
    // The size of the pieces handed to zipWriteInFileInZip.
    static constexpr unsigned kPieceSize = 2048;

    BackupArchive() = default;
    BackupArchive(const BackupArchive&) = delete;
    BackupArchive& operator=(const BackupArchive&) = delete;

    // Closes an open archive, resets the counters and opens `path` (created,
    // or appended to with `append`). The root folder, against which relative
    // paths are resolved and from which entry names are made, becomes: with
    // no root, the folder part of `path` (ending in a backslash); with a
    // non-empty root, that text ending in a backslash; with an empty root,
    // nothing. False when the archive could not be opened.
    bool open(const std::string& path, const std::optional<std::string>& root, bool append);

    // Makes `folder` (ending in a backslash, added when missing) the root
    // folder of the entries added from now on.
    void setRootFolder(const std::string& folder);

    // Adds one file. With `flatNames` the entry is the file's bare name;
    // otherwise it is the path relative to the root folder, its backslashes
    // written as the zip format's forward slashes (an absolute path outside
    // the root, and a relative one starting "..\", is refused). A path with a
    // colon is absolute; any other is taken below the root folder. True when
    // the entry was opened and every byte of the file written into it.
    bool addFile(const std::string& path, bool flatNames);

    // Adds every file below `path`, whatever its name (only "." and ".." are
    // passed by, and links are not followed). Without `flatNames` the folder
    // and each subfolder also get a folder entry ("name/", none for the root
    // folder itself), so empty folders survive. False when no archive is open, the folder could not be listed
    // whole, or an entry could not be added; the other entries are added all
    // the same.
    bool addFolder(const std::string& path, bool flatNames);

    // Closes the archive. True when nothing was open or it closed without
    // error.
    bool close();

    bool isOpen() const { return zip_.isOpen(); }
    const std::string& rootFolder() const { return rootFolder_; }
    int filesAdded() const { return filesAdded_; }
    int foldersAdded() const { return foldersAdded_; }
    unsigned long long bytesRead() const { return bytesRead_; }

private:
    std::string absolutePath(const std::string& path) const;
    // The entry name of `fullPath` (relative to the root); empty when the
    // path lies outside it.
    std::string relativeEntryName(const std::string& fullPath) const;
    bool addFolderEntry(const std::string& entryName);

    ZipWriter zip_;
    std::string rootFolder_;
    int filesAdded_ = 0;
    int foldersAdded_ = 0;
    unsigned long long bytesRead_ = 0;
};

}  // namespace kestrune
