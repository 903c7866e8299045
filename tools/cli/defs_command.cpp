// kestrune-cli defs: pack, unpack, check, dump and verify of reference files.
#include "cli.h"
#include "json.h"
#include "protected_items.h"

#include "definitions/definitions_check.h"
#include "definitions/reference_file.h"
#include "definitions/reference_text.h"
#include "safety/own_places.h"
#include "safety/protected_places.h"
#include "update/signature.h"

#include <cstdio>

namespace kestrune {
namespace cli {

namespace {

const char kDefsUsage[] =
    "usage: kestrune-cli defs pack IN OUT\n"
    "       kestrune-cli defs unpack IN OUT\n"
    "       kestrune-cli defs check [--plain] FILE\n"
    "       kestrune-cli defs dump FILE\n"
    "       kestrune-cli defs verify FILE SIGNATURE [--key PUBLIC.pem]\n";

bool writeWholeFile(const std::string& path, const std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

int usageError(const std::string& message)
{
    printError(message);
    std::fputs(kDefsUsage, stderr);
    return kExitUsage;
}

// pack and unpack are the same exclusive-or.
int runScramble(const Args& args)
{
    if (args.size() != 3)
        return usageError("defs " + args[0] + " takes IN and OUT");
    std::string bytes;
    if (!readWholeFile(args[1], bytes)) {
        printError("cannot read " + args[1]);
        return kExitUsage;
    }
    scrambleBytes(bytes);
    if (!writeWholeFile(args[2], bytes)) {
        printError("cannot write " + args[2]);
        return kExitUsage;
    }
    return kExitOk;
}

int runDump(const Args& args)
{
    if (args.size() != 2)
        return usageError("defs dump takes one FILE");
    std::string raw;
    if (!readWholeFile(args[1], raw)) {
        std::fprintf(stderr, "error: the file cannot be read: %s\n", args[1].c_str());
        return kExitFindings;
    }
    ParasiteList list;
    std::string parseError;
    if (!loadReferenceFile(args[1], list, &parseError)) {
        if (parseError.empty())
            parseError = "the text is not well-formed markup";
        std::fprintf(stderr, "error: %s\n", parseError.c_str());
        return kExitFindings;
    }
    std::string json = parasitesToJson(list) + "\n";
    std::fwrite(json.data(), 1, json.size(), stdout);
    return kExitOk;
}

int runCheck(const Args& args)
{
    bool plain = false;
    std::string path;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--plain")
            plain = true;
        else if (path.empty() && args[i].compare(0, 2, "--") != 0)
            path = args[i];
        else
            return usageError("unexpected argument '" + args[i] + "'");
    }
    if (path.empty())
        return usageError("defs check takes a FILE");
    std::string raw;
    if (!readWholeFile(path, raw)) {
        printError("cannot read " + path);
        return kExitUsage;
    }
    if (plain) {
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
int runVerify(const Args& args)
{
    std::string keyPath;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--key" && i + 1 < args.size())
            keyPath = args[++i];
        else if (files.size() < 2 && args[i].compare(0, 2, "--") != 0)
            files.push_back(args[i]);
        else
            return usageError("unexpected argument '" + args[i] + "'");
    }
    if (files.size() != 2)
        return usageError("defs verify takes a FILE and its SIGNATURE");
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

}  // namespace

int runDefsCommand(const Args& args)
{
    if (args.empty())
        return usageError("defs needs a subcommand");
    const std::string& sub = args[0];
    if (sub == "--help" || sub == "-h") {
        std::fputs(kDefsUsage, stdout);
        return kExitOk;
    }
    if (sub == "pack" || sub == "unpack")
        return runScramble(args);
    if (sub == "dump")
        return runDump(args);
    if (sub == "check")
        return runCheck(args);
    if (sub == "verify")
        return runVerify(args);
    return usageError("unknown defs subcommand '" + sub + "'");
}

}  // namespace cli
}  // namespace kestrune
