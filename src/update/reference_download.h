// Downloading a reference file and putting it in place without ever losing
// the one in use: the file and its signature (NAME.sig) are fetched, the
// signature is checked against the built-in key before anything else, the
// file goes to a temporary file beside the target, is loaded into a scratch
// list, and only a file that yields at least one parasite replaces the
// target and becomes the reference file in the settings.
#pragma once

#include "update/http_fetch.h"
#include "update/transfer_cancel.h"

#include <string>

namespace kestrune {

enum class DownloadOutcome {
    Installed,        // the target holds the new file; "rfp" and "df" name it
    DownloadFailed,   // nothing could be fetched, more than the size bound, or cancelled
    BadSignature,     // the signature is missing or is not the built-in key's of the file
    NotValid,         // fetched, but it does not load or holds no parasite
    NotInstalled,     // valid, but it could not be moved over the target
};

// The longest reference file a download accepts.
constexpr unsigned long kMaxDownloadSize = 64ul * 1024 * 1024;

// What a download may take; the program keeps the defaults, tests shorten
// them. `cancel`, when given, ends the download from another thread: nothing
// is then written or installed.
struct DownloadBounds {
    unsigned long maxSize = kMaxDownloadSize;       // the file's bytes
    unsigned transferMs = kTransferTimeoutMs;       // each body's whole transfer
    TransferCancel* cancel = nullptr;
};

// The temporary file a download of `target` goes to: `target` + ".download".
std::string temporaryDownloadPath(const std::string& target);

// Fetches `url` and `url` + ".sig", checks the signature with
// builtInPublicKey(), writes the file to the temporary file, checks it,
// moves it over `target`,
// writes "rfp" = target and "df" = its file name, and deletes the previous
// reference file when "rfp" named another file (compared ignoring case).
// On any outcome but Installed the temporary file is deleted and the
// settings, the previous file and the target are as they were.
DownloadOutcome downloadReferenceFile(const std::string& url, const std::string& target,
                                      const DownloadBounds& bounds = DownloadBounds());

// Moves an already fetched `downloaded` file into place exactly as above
// (the steps after the fetch). Used by downloadReferenceFile.
DownloadOutcome installReferenceFile(const std::string& downloaded, const std::string& target);

}  // namespace kestrune
