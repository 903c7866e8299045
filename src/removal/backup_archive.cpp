// The backup's zip writer.
#include "removal/backup_archive.h"

#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "removal/folder_utils.h"

#include <windows.h>

namespace kestrune {

namespace {

std::string zipSeparators(std::string name)
{
    for (char& c : name) {
        if (c == '\\')
            c = '/';
    }
    return name;
}

bool openEntry(zipFile zip, const std::string& entryName)
{
    return zipOpenNewFileInZip(zip, entryName.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr,
                               Z_DEFLATED, Z_DEFAULT_COMPRESSION) == ZIP_OK;
}

}  // namespace

bool ZipWriter::open(const std::string& path, bool append)
{
    close();
    zip_ = zipOpen(path.c_str(), append ? APPEND_STATUS_ADDINZIP : APPEND_STATUS_CREATE);
    return zip_ != nullptr;
}

bool ZipWriter::close()
{
    if (zip_ == nullptr)
        return true;
    int result = zipClose(zip_, nullptr);
    zip_ = nullptr;
    return result == ZIP_OK;
}

bool BackupArchive::open(const std::string& path, const std::optional<std::string>& root,
                         bool append)
{
    close();
    rootFolder_.clear();
    filesAdded_ = 0;
    foldersAdded_ = 0;
    bytesRead_ = 0;
    if (!zip_.open(path, append))
        return false;
    if (!root) {
        rootFolder_ = folderPartOf(path);
    } else {
        rootFolder_ = withTrailingBackslash(*root);
    }
    return true;
}

void BackupArchive::setRootFolder(const std::string& folder)
{
    rootFolder_ = withTrailingBackslash(folder);
}

std::string BackupArchive::absolutePath(const std::string& path) const
{
    if (path.find(':') != std::string::npos)
        return path;
    return rootFolder_ + path;
}

std::string BackupArchive::relativeEntryName(const std::string& fullPath) const
{
    if (fullPath.size() <= rootFolder_.size() ||
        !sameText(fullPath.substr(0, rootFolder_.size()), rootFolder_))
        return std::string();
    return zipSeparators(fullPath.substr(rootFolder_.size()));
}

bool BackupArchive::addFile(const std::string& path, bool flatNames)
{
    if (!isOpen())
        return false;
    if (!flatNames && path.compare(0, 3, "..\\") == 0)
        return false;
    const std::string fullPath = absolutePath(path);
    std::string entryName;
    if (flatNames) {
        entryName = baseNameOf(fullPath);
    } else if (path.find(':') != std::string::npos) {
        entryName = relativeEntryName(fullPath);
    } else {
        entryName = zipSeparators(path.compare(0, 2, ".\\") == 0 ? path.substr(2) : path);
    }
    if (entryName.empty())
        return false;

    ScopedHandle file(openFileAt(fullPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_READONLY));
    if (!file.valid())
        return false;
    const bool opened = openEntry(zip_.get(), entryName);
    bool written = opened;
    if (opened) {
        ++filesAdded_;
        char piece[kPieceSize];
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(file.get(), piece, sizeof piece, &read, nullptr)) {
                written = false;
                break;
            }
            if (read == 0)
                break;
            bytesRead_ += read;
            if (zipWriteInFileInZip(zip_.get(), piece, read) != ZIP_OK) {
                written = false;
                break;
            }
        }
    }
    // Also after a failed open, as the library expects.
    if (zipCloseFileInZip(zip_.get()) != ZIP_OK)
        written = false;
    return opened && written;
}

bool BackupArchive::addFolderEntry(const std::string& entryName)
{
    const bool opened = openEntry(zip_.get(), entryName);
    const bool closed = zipCloseFileInZip(zip_.get()) == ZIP_OK;
    return opened && closed;
}

bool BackupArchive::addFolder(const std::string& path, bool flatNames)
{
    if (!isOpen())
        return false;
    ++foldersAdded_;
    const std::string folder = absolutePath(path);
    DWORD attributes = attributesOf(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    bool everything = true;
    if (!flatNames) {
        const std::string entryName = relativeEntryName(folder);
        if (!entryName.empty() && !addFolderEntry(entryName + "/"))
            everything = false;
    }
    bool listed = listFolder(folder, ListingRule::DotsOnly, [&](const WIN32_FIND_DATAA& entry) {
        if (isReparsePoint(entry.dwFileAttributes))
            return true;
        const std::string child = joinPath(folder, entry.cFileName);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!addFolder(child, flatNames))
                everything = false;
        } else if (!addFile(child, flatNames)) {
            everything = false;
        }
        return true;
    });
    return listed && everything;
}

bool BackupArchive::close()
{
    return zip_.close();
}

}  // namespace kestrune
