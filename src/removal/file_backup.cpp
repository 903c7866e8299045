// Copies of the selected files, folders and cookie files, and Config.ini.
#include "removal/file_backup.h"

#include "platform/path_links.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "removal/cookie_files.h"
#include "removal/file_removal.h"
#include "removal/folder_utils.h"
#include "removal/item_refusal.h"
#include "removal/removal_log.h"
#include "removal/test_stop.h"

#include <windows.h>

#include <cstdio>

namespace kestrune {

namespace {

std::string configRecord(ItemKind kind, const std::string& name, const std::string& path)
{
    return typeLine(kind) + "[NAME:" + name + "]\r\n[PATH:" + path + "]\r\n";
}

bool sourceMissing(const std::string& path)
{
    if (attributesOf(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string attributesText(DWORD attributes)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(attributes));
    return text;
}

// The attributes of `source`, for the manifest. The copy loses them (it is
// made plain) so that the backup folder can always be emptied again.
DWORD takeAttributes(const std::string& source, const std::string& copy)
{
    DWORD attributes = attributesOf(source);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        attributes = FILE_ATTRIBUTE_NORMAL;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        setAttributesOf(copy, FILE_ATTRIBUTE_NORMAL);
    return attributes;
}

// One "[INSIDE:<hex attributes>:<path inside the folder>]" line for every
// entry copied below `copy` (the folder walk's dot-prefix rule, as the copy).
void insideAttributes(const std::string& source, const std::string& copy,
                      const std::string& relative, std::string& lines)
{
    listFolder(copy, ListingRule::DotPrefix, [&](const WIN32_FIND_DATAA& entry) {
        const std::string inside = relative.empty() ? std::string(entry.cFileName)
                                                    : relative + "\\" + entry.cFileName;
        const std::string from = joinPath(source, entry.cFileName);
        const std::string to = joinPath(copy, entry.cFileName);
        lines += "[INSIDE:" + attributesText(takeAttributes(from, to)) + ":" + inside + "]\r\n";
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            insideAttributes(from, to, inside, lines);
        return true;
    });
}

void copyFile(BackupSession& session, BackupStepKind step, ItemKind kind,
              const std::string& source)
{
    if (!session.firstCopyOf(source))
        return;
    const std::string name = session.claimName(baseNameOf(source));
    const std::string copy = session.pathOf(name);
    const bool ok = copyFileAt(source, copy, false);
    if (ok) {
        const DWORD attributes = takeAttributes(source, copy);
        session.addManifestRecord(kind, name, "[PATH:" + source + "]\r\n[ATTRIBUTES:" +
                                                  attributesText(attributes) + "]\r\n");
    }
    session.stepDone(BackupStep{step, source, name, ok});
    stopHereForTests(kStopDuringCopies);
}

void backupFiles(const Parasite& parasite, BackupSession& session, const ProtectedPlaces& places)
{
    for (const auto& item : parasite.files) {
        if (item->selected != 1 || pathItemRefused(item->path, item->name, places))
            continue;
        const std::string source = itemFullPath(item->path, item->name);
        if (!sourceMissing(source))
            copyFile(session, BackupStepKind::FileCopy, ItemKind::File, source);
        session.appendConfigRecord(configFileRecord(item->name, item->path));
    }
}

void backupFolders(const Parasite& parasite, BackupSession& session,
                   const ProtectedPlaces& places)
{
    for (const auto& item : parasite.directories) {
        if (item->selected != 1 || pathItemRefused(item->path, item->name, places))
            continue;
        const std::string source = itemFullPath(item->path, item->name);
        if (!sourceMissing(source) && session.firstCopyOf(source)) {
            const std::string name = session.claimName(item->name);
            const std::string copy = session.pathOf(name);
            const bool ok = copyFolderTree(source, copy, session.report());
            if (ok) {
                std::string details = "[PATH:" + source + "]\r\n[ATTRIBUTES:" +
                                      attributesText(takeAttributes(source, copy)) + "]\r\n";
                insideAttributes(source, copy, std::string(), details);
                session.addManifestRecord(ItemKind::Folder, name, details);
            }
            session.stepDone(BackupStep{BackupStepKind::FolderCopy, source, name, ok});
        }
        session.appendConfigRecord(configFolderRecord(item->name, item->path));
    }
}

void backupCookies(const Parasite& parasite, BackupSession& session,
                   const std::string& cookiesFolder)
{
    for (const auto& item : parasite.cookies) {
        if (item->selected != 1 || cookieItemRefused(*item))
            continue;
        const auto files = matchingCookieFiles(cookiesFolder, item->name);
        if (files.empty())
            session.appendConfigRecord(configCookieRecord(item->name, std::string()));
        for (const std::string& file : files) {
            if (pathLeadsThroughLink(file))
                continue;   // never copied through a link, and not removed either
            copyFile(session, BackupStepKind::CookieCopy, ItemKind::Cookie, file);
            session.appendConfigRecord(configCookieRecord(item->name, foldedText(file)));
        }
    }
}

}  // namespace

std::string configFileRecord(const std::string& name, const std::string& path)
{
    return configRecord(ItemKind::File, name, path);
}

std::string configFolderRecord(const std::string& name, const std::string& path)
{
    return configRecord(ItemKind::Folder, name, path);
}

std::string configCookieRecord(const std::string& name, const std::string& cookieFile)
{
    return configRecord(ItemKind::Cookie, name, cookieFile);
}

void backupFileItems(const ParasiteList& parasites, BackupSession& session,
                     const std::string& cookiesFolder, const ProtectedPlaces& places)
{
    if (attributesOf(session.folder()) == INVALID_FILE_ATTRIBUTES)
        createFolderPath(session.folder());
    for (int p = 0; p < parasites.count(); ++p)
        backupFiles(*parasites.at(p), session, places);
    for (int p = 0; p < parasites.count(); ++p)
        backupFolders(*parasites.at(p), session, places);
    for (int p = 0; p < parasites.count(); ++p)
        backupCookies(*parasites.at(p), session, cookiesFolder);
}

}  // namespace kestrune
