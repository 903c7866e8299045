// Path texts: joining and splitting paths, their trailing backslashes and the
// listing pattern of a folder. Text only; nothing here looks at the disk. The
// backslash that splits a path is found character by character in the ANSI
// code page, so that the trail byte of a two-byte character that equals '\'
// never splits one (in UTF-8, the code page the program asks for, no byte of
// a multibyte character is a backslash, and the same search serves).
#pragma once

#include <string>

namespace kestrune {

// The position of the last backslash of `path` that is not the trail byte of
// a two-byte character; npos when there is none.
std::string::size_type lastBackslash(const std::string& path);

// `folder` joined with `name` by one backslash (none added when `folder`
// already ends with one, or is empty).
std::string joinPath(const std::string& folder, const std::string& name);

// The "*.*" listing pattern of `folder`: trailing blanks removed, a backslash
// added when missing.
std::string listingPattern(const std::string& folder);

// The text after the last "." of the whole path (a dot in a folder name
// counts: "C:\a.b\file" gives "b\file"); empty when there is no dot.
std::string fileExtension(const std::string& path);

// The text after the last backslash; the whole text when there is none.
std::string baseNameOf(const std::string& path);

// The text after the last backslash; empty when there is none (a bare name
// is not taken for a file's path).
std::string fileNameOf(const std::string& path);

// The path without its last backslash and what follows ("C:\WINDOWS" for
// "C:\WINDOWS\a.dll", "C:" for "C:\a.dll"); the whole text when it holds no
// backslash.
std::string parentFolderOf(const std::string& path);

// The path up to and including its last backslash, ready for a name to be
// appended ("C:\x\" for "C:\x\a.exe"); empty when it holds none.
std::string folderPartOf(const std::string& path);

// The folder holding `path` as its own path ("C:\a" for "C:\a\b", "C:\" for
// "C:\a"); empty for a drive root "X:\" and for a text without a backslash.
std::string parentPath(const std::string& path);

// The text after parentPath(path) and its backslash; the whole text when it
// has no parent.
std::string lastPart(const std::string& path);

// True for a drive root "X:\" (any character before the colon).
bool isDriveRoot(const std::string& path);

// Whether withoutTrailingBackslashes keeps the backslash of a root.
enum class RootBackslash {
    Kept,      // "C:\" and "\" stay as they are
    Removed,   // every trailing backslash goes: "C:\" gives "C:", "\" gives ""
};

// `path` without its trailing backslashes.
std::string withoutTrailingBackslashes(const std::string& path,
                                       RootBackslash root = RootBackslash::Kept);

// `folder` with one trailing backslash added when it has none; the empty text
// stays empty.
std::string withTrailingBackslash(const std::string& folder);

}  // namespace kestrune
