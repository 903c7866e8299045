// kestrune-cli publish: lays out a reference file for a static web server, so
// that the server is an update server: DIR/def/NAME and the version page
// DIR/def/def_newv2.html naming it, and with --key its signature
// DIR/def/NAME.sig and the signed release statement DIR/def/release.txt
// (+ .sig) that names it.
#include "cli.h"

#include "platform/file_bytes.h"
#include "platform/paths.h"
#include "platform/wide_paths.h"

#include "definitions/parasite.h"
#include "definitions/reference_file.h"
#include "update/release_statement.h"
#include "update/signature.h"
#include "update/utc_clock.h"
#include "update/version_page.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace kestrune {
namespace cli {

namespace {

std::string lowerCased(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool ensureFolder(const std::string& folder)
{
    return createFolderAt(folder) || isFolder(folder);
}

// A serial above every one published from `def` before: one more than the
// statement there, and at least the seconds since 1970, so that a server
// folder made afresh still publishes above what users have installed.
std::uint64_t nextSerial(const std::string& def)
{
    std::uint64_t serial = secondsSince1970();
    std::string text;
    ReleaseStatement previous;
    if (readWholeFile(def + "\\" + kReleaseStatementName, text) &&
        parseReleaseStatement(text, previous) && previous.serial >= serial)
        serial = previous.serial + 1;
    return serial;
}

int publishError(const std::string& message)
{
    printError(message);
    return kExitUsage;
}

}  // namespace

int runPublishCommand(const PublishOptions& options)
{
    const std::string& root = options.root;
    const std::string& keyPath = options.key;
    const std::string& file = options.file;
    // The program lower-cases the version page, so it asks for the lower-case
    // name; a case-sensitive server must hold the file under that name.
    // The argument's folders may be split by '/' as well.
    std::string given = file;
    std::replace(given.begin(), given.end(), '/', '\\');
    const std::string name = lowerCased(baseNameOf(given));
    if (!isSafeReferenceFileName(name))
        return publishError("'" + name + "' is not a plain file name");
    ParasiteList list;
    if (!loadReferenceFile(file, list) || list.count() == 0)
        return publishError(file + " is not a reference file with at least one parasite");
    // Signed before anything is written, so that a bad key leaves DIR as it was.
    const std::string def = root + "\\def";
    const std::string statementFile = def + "\\" + kReleaseStatementName;
    const std::string statementSignatureFile = def + "\\" + kReleaseSignatureName;
    std::string signature, statementText, statementSignature;
    ReleaseStatement statement;
    if (!keyPath.empty()) {
        std::string key, bytes;
        if (!readWholeFile(keyPath, key))
            return publishError("cannot read " + keyPath);
        if (!readWholeFile(file, bytes))
            return publishError("cannot read " + file);
        if (!signData(bytes, key, signature))
            return publishError(keyPath + " is not an RSA private key in PEM");
        statement.name = name;
        statement.size = bytes.size();
        statement.serial = nextSerial(def);
        statement.expires = todayUtc() + options.validDays;
        if (!sha256Hex(bytes, statement.sha256))
            return publishError("cannot compute the SHA-256 of " + file);
        statementText = releaseStatementText(statement);
        if (!signData(statementText, key, statementSignature))
            return publishError("cannot sign the release statement with " + keyPath);
    }

    if (!ensureFolder(root) || !ensureFolder(def))
        return publishError("cannot create " + def);
    const std::string target = def + "\\" + name;
    const std::string signatureFile = target + ".sig";
    if (!copyFileAt(file, target, false))
        return publishError("cannot copy " + file + " to " + target);
    if (keyPath.empty()) {
        // A signature or statement left from an earlier publish would not
        // match this file.
        deleteFileAt(signatureFile);
        deleteFileAt(statementFile);
        deleteFileAt(statementSignatureFile);
        printError("no signature written (no --key): Kestrune refuses to install " + name +
                   " until " + signatureFile + " holds its signature");
    } else if (!writeWholeFile(signatureFile, signature)) {
        return publishError("cannot write " + signatureFile);
    } else if (!writeWholeFile(statementFile, statementText) ||
               !writeWholeFile(statementSignatureFile, statementSignature)) {
        return publishError("cannot write " + statementFile);
    }
    const std::string page = "<html><body>" + name + "</body></html>\n";
    if (!writeWholeFile(def + "\\def_newv2.html", page))
        return publishError("cannot write " + def + "\\def_newv2.html");
    std::printf("published %s (%d parasites) as %s\n", file.c_str(), list.count(), target.c_str());
    if (!keyPath.empty()) {
        std::printf("signed with %s as %s\n", keyPath.c_str(), signatureFile.c_str());
        std::printf("release statement %s: serial %llu, valid through %s\n",
                    statementFile.c_str(), static_cast<unsigned long long>(statement.serial),
                    dayText(statement.expires).c_str());
    }
    return kExitOk;
}

}  // namespace cli
}  // namespace kestrune
