// Folder trees shared by the backup and the removal: listing a folder under
// one of the two skip rules, telling links apart, and deleting, copying and
// creating folder trees. Nothing here shows a message; every result is for
// the caller to judge. Called on the thread that owns the backup or removal.
//
// Links (symbolic links, junctions; see isLink) are never descended into,
// deleted through or copied: following one would reach files outside the
// folder the user chose, and under Wine the delete calls act on the link's
// target rather than on the link itself.
#pragma once

#include "platform/paths.h"
#include "removal/responsiveness.h"

#include <windows.h>

#include <functional>
#include <string>

namespace kestrune {

// Which listed names a folder walk passes by.
enum class ListingRule {
    DotPrefix,   // every name that begins with "." ("." and ".." included)
    DotsOnly,    // exactly "." and ".."
};

// True when `rule` passes the entry named `name` by.
bool passedBy(ListingRule rule, const std::string& name);

// Calls `visit` for every entry of `folder` (listingPattern) that `rule` does
// not pass by, in listing order, until `visit` returns false. True when the
// listing ran to its end (an empty folder included); false when `visit`
// stopped it or the folder could not be listed.
using FolderVisitor = std::function<bool(const WIN32_FIND_DATAA& entry)>;
bool listFolder(const std::string& folder, ListingRule rule, const FolderVisitor& visit);

// True when the attributes mark a link (FILE_ATTRIBUTE_REPARSE_POINT).
bool isReparsePoint(DWORD attributes);

// True when `path` (trailing backslashes ignored) is a link rather than a
// file or folder of its own: its attributes carry FILE_ATTRIBUTE_REPARSE_POINT,
// or what it opens resolves to another place than the entry of that name in
// its (resolved) parent folder. The second test is needed under Wine, which
// shows a symbolic link to a file as a plain file and deletes the link's
// target on DeleteFileA, and shows a link to a folder as a plain folder when
// the path ends with a backslash. False when the path does not exist or the
// system cannot resolve paths (before Windows Vista, where only the attribute
// marks links).
bool isLink(const std::string& path);

// Asked by the delete walks about every entry (its full path, and whether it
// is a folder) before it is deleted or entered: true keeps the entry, and the
// folders around it, as they are.
using KeepTest = std::function<bool(const std::string& path, bool isFolder)>;

// Deletes everything inside `folder`, depth first, under the dot-prefix rule;
// the folder itself stays. A file that cannot be deleted (read-only, in use)
// ends the walk. A subfolder whose contents were all deleted is removed, and
// a failed removal ends the walk; a subfolder whose contents were not all
// deleted is left and the walk goes on. A link, and an entry that `keep`
// (when given) keeps, is left in place and the walk goes on, but the result
// is then false.
// True when the listing ran to its end with no failed delete and nothing left.
// False at once when `folder` is missing, not a folder, or itself a link.
bool deleteFolderContents(const std::string& folder, const KeepTest& keep = KeepTest());

// Deletes `folder` with everything inside (deleteFolderContents with `keep`).
// True when the folder is gone, also when it never existed or the path is not
// a folder. False when it is itself a link (left untouched), when
// deleteFolderContents failed, or when the folder could not be removed (for
// example because an entry was left inside).
bool deleteFolderTree(const std::string& folder, const KeepTest& keep = KeepTest());

// Copies the tree `source` into `target` under the dot-prefix rule, creating
// `target` and its missing parents first and overwriting existing files.
// Links inside the source are passed by and do not count as failures. The
// walk ends at the first file or subfolder that cannot be copied. While a
// subfolder is copied, `responsiveness` (when given) is told before each of
// its entries, so that a window keeps painting; the entries of `source`
// itself are copied without it. True when every entry was copied. When
// `source` is missing the result is false but the target folder has been
// created all the same.
bool copyFolderTree(const std::string& source, const std::string& target,
                    Responsiveness* responsiveness = nullptr);

// Creates every missing folder along `path` (trailing blanks and one trailing
// backslash ignored; the path starts after "X:\" or after "\\server\share\").
// True when every folder along the path exists afterwards; false when one
// cannot be created or an existing entry along the path is a file.
bool createFolderPath(const std::string& path);

}  // namespace kestrune
