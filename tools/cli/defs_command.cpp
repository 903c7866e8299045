// kestrune-cli defs: pack, unpack, check, dump and verify of reference files.
#include "cli.h"
#include "json_output.h"
#include "protected_items.h"

#include "definitions/definitions_check.h"
#include "definitions/reference_file.h"
#include "definitions/reference_text.h"
#include "platform/file_bytes.h"
#include "safety/own_places.h"
#include "safety/protected_places.h"
#include "update/signature.h"

#include <cstdio>

namespace kestrune {
namespace cli {

int runDefsScramble(const DefsOptions& options)
{
    std::string bytes;
    if (!readWholeFile(options.in, bytes)) {
        printError("cannot read " + options.in);
        return kExitUsage;
    }
    scrambleBytes(bytes);
    if (!writeWholeFile(options.out, bytes)) {
        printError("cannot write " + options.out);
        return kExitUsage;
    }
    return kExitOk;
}

int runDefsDump(const DefsOptions& options)
{
    std::string raw;
    if (!readWholeFile(options.file, raw)) {
        std::fprintf(stderr, "error: the file cannot be read: %s\n", options.file.c_str());
        return kExitFindings;
    }
    ParasiteList list;
    std::string parseError;
    if (!loadReferenceFile(options.file, list, &parseError)) {
        if (parseError.empty())
            parseError = "the text is not well-formed markup";
        std::fprintf(stderr, "error: %s\n", parseError.c_str());
        return kExitFindings;
    }
    std::string json = parasitesToJson(list) + "\n";
    std::fwrite(json.data(), 1, json.size(), stdout);
    return kExitOk;
}

int runDefsCheck(const DefsOptions& options)
{
    const std::string& path = options.file;
    std::string raw;
    if (!readWholeFile(path, raw)) {
        printError("cannot read " + path);
        return kExitUsage;
    }
    if (options.plain) {
        std::string::size_type zero = raw.find('\0');
        if (zero != std::string::npos)
            raw.resize(zero);
    } else {
        unscrambleText(raw);
    }
    // Items that name this machine's protected places are reported too.
    const ProtectedPlaces places = ProtectedPlaces::forThisMachine(ownPlacesFromSettings());
    std::vector<CheckMessage> messages =
        checkDefinitions(normaliseLineEnds(raw), protectedItemJudge(places));
    for (const CheckMessage& m : messages)
        std::printf("%s\n", formatCheckMessage(path, m).c_str());
    return messages.empty() ? kExitOk : kExitFindings;
}

// Exit 0 for a good signature, 1 for a bad one, 2 when something cannot be
// read.
int runDefsVerify(const DefsOptions& options)
{
    const std::string& keyPath = options.key;
    const std::vector<std::string> files{options.file, options.signature};
    std::string key = builtInPublicKey();
    if (!keyPath.empty() && !readWholeFile(keyPath, key)) {
        printError("cannot read " + keyPath);
        return kExitUsage;
    }
    std::string data, signature;
    for (const std::string* path : {&files[0], &files[1]}) {
        if (!readWholeFile(*path, path == &files[0] ? data : signature)) {
            printError("cannot read " + *path);
            return kExitUsage;
        }
    }
    const std::string keyName = keyPath.empty() ? "the built-in key" : keyPath;
    switch (verifySignature(data, signature, key)) {
    case SignatureCheck::Good:
        std::printf("good signature: %s is signed by %s\n", files[0].c_str(), keyName.c_str());
        return kExitOk;
    case SignatureCheck::Bad:
        std::printf("bad signature: %s is not %s's signature of %s\n", files[1].c_str(),
                    keyName.c_str(), files[0].c_str());
        return kExitFindings;
    case SignatureCheck::NoKey:
        break;
    }
    printError(keyName + " is not a PEM public key");
    return kExitUsage;
}

}  // namespace cli
}  // namespace kestrune
