// Downloading a reference file and putting it in place without ever losing
// the one in use: the file and its signature (NAME.sig) are fetched, the
// signature is checked against the built-in key before anything else, then
// the server's signed release statement must name this very file, be no
// older than the release installed last and not have expired. The file goes
// to a temporary file beside the target, is loaded into a scratch list, and
// only a file that yields at least one parasite replaces the target and
// becomes the reference file in the settings.
#pragma once

#include "update/http_fetch.h"
#include "update/transfer_cancel.h"

#include <cstdint>
#include <string>

namespace kestrune {

enum class DownloadOutcome {
    Installed,        // the target holds the new file; "rfp" and "df" name it
    DownloadFailed,   // nothing could be fetched, more than the size bound, or cancelled
    BadSignature,     // the signature is missing or is not the built-in key's of the file
    NotValid,         // fetched, but it does not load or holds no parasite
    NotInstalled,     // valid, but it could not be moved over the target
    NoStatement,      // release.txt or its signature is missing, unreadable or not the built-in key's
    NotTheRelease,    // the statement names another file: name, SHA-256 or size differ
    OlderRelease,     // the statement's serial is below the one installed last
    ExpiredRelease,   // the statement's last day has passed
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
// builtInPublicKey(); fetches release.txt and release.txt.sig from the same
// folder of the server, checks that signature and judges the file by the
// statement (judgeRelease, against the serial installed last); writes the
// file to the temporary file, checks it, moves it over `target`, writes
// "rfp" = target, "df" = its file name and the statement's serial, and
// deletes the previous reference file when it is a plain ".ks" file in the
// target's folder other than the target (isOldDownload).
// `target`'s file name must be a plain reference-file name
// (isSafeReferenceFileName); otherwise nothing is fetched (DownloadFailed).
// On any outcome but Installed the temporary file is deleted and the
// settings, the previous file and the target are as they were.
DownloadOutcome downloadReferenceFile(const std::string& url, const std::string& target,
                                      const DownloadBounds& bounds = DownloadBounds());

// Moves an already fetched and judged `downloaded` file into place exactly as
// above (the steps after the checks), recording `serial`. Used by
// downloadReferenceFile.
DownloadOutcome installReferenceFile(const std::string& downloaded, const std::string& target,
                                     std::uint64_t serial);

// True when the reference file `previous` may be deleted once `target` is
// installed: a file (no folder, no link) with a plain reference-file name,
// directly in the folder of `target`, and not `target` itself (all compared
// ignoring case). A reference file anywhere else is the user's and stays.
bool isOldDownload(const std::string& previous, const std::string& target);

}  // namespace kestrune
