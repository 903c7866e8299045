// The check phase of an update: which reference file the update server
// announces, and how that compares with the installed one ("df"). What to
// tell the user about each outcome is the window's.
#pragma once

#include "update/transfer_cancel.h"

#include <string>

namespace kestrune {

enum class VersionCheck {
    Newer,         // the server names another file than the installed one
    SameName,      // the server names the installed file (ignoring case)
    NoAnswer,      // no usable page: connection, status or size
    RefusedName,   // the page names no plain file name (isSafeReferenceFileName)
};

// Fetches the version page, takes the trimmed name it announces and compares
// it with "df". `fileName` gets the announced name for Newer and SameName and
// is left as it was otherwise. A fetch ended through `cancel` is NoAnswer.
VersionCheck checkVersionPage(std::string& fileName, TransferCancel* cancel = nullptr);

}  // namespace kestrune
