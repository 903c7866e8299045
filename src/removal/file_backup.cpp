// Copies of the selected files, folders and cookie files, and Config.ini.
#include "removal/file_backup.h"

#include "platform/text_compare.h"
#include "removal/cookie_files.h"
#include "removal/file_removal.h"
#include "removal/folder_utils.h"
#include "removal/item_refusal.h"

#include <windows.h>

namespace kestrune {

namespace {

std::string configRecord(const char* type, const std::string& name, const std::string& path)
{
    return std::string("[TYPE:") + type + "]\r\n[NAME:" + name + "]\r\n[PATH:" + path + "]\r\n";
}

bool sourceMissing(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void copyFile(BackupSession& session, BackupStepKind kind, const char* type,
              const std::string& source)
{
    const std::string name = session.claimName(baseNameOf(source));
    const bool ok =
        CopyFileA(source.c_str(), joinPath(session.folder(), name).c_str(), FALSE) != FALSE;
    if (ok)
        session.addManifestRecord(type, name, "[PATH:" + source + "]\r\n");
    session.stepDone(BackupStep{kind, source, name, ok});
}

void backupFiles(const Parasite& parasite, BackupSession& session, const ProtectedPlaces& places)
{
    for (const auto& item : parasite.files) {
        if (item->selected != 1 || pathItemRefused(item->path, item->name, places))
            continue;
        const std::string source = itemFullPath(item->path, item->name);
        if (!sourceMissing(source))
            copyFile(session, BackupStepKind::FileCopy, "FILE", source);
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
        if (!sourceMissing(source)) {
            const std::string name = session.claimName(item->name);
            const bool ok =
                copyFolderTree(source, joinPath(session.folder(), name), session.report());
            if (ok)
                session.addManifestRecord("DIRECTORY", name, "[PATH:" + source + "]\r\n");
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
            copyFile(session, BackupStepKind::CookieCopy, "COOKIE", file);
            session.appendConfigRecord(configCookieRecord(item->name, foldedText(file)));
        }
    }
}

}  // namespace

std::string configFileRecord(const std::string& name, const std::string& path)
{
    return configRecord("FILE", name, path);
}

std::string configFolderRecord(const std::string& name, const std::string& path)
{
    return configRecord("DIRECTORY", name, path);
}

std::string configCookieRecord(const std::string& name, const std::string& cookieFile)
{
    return configRecord("COOKIE", name, cookieFile);
}

void backupFileItems(const ParasiteList& parasites, BackupSession& session,
                     const std::string& cookiesFolder, const ProtectedPlaces& places)
{
    if (GetFileAttributesA(session.folder().c_str()) == INVALID_FILE_ATTRIBUTES)
        createFolderPath(session.folder());
    for (int p = 0; p < parasites.count(); ++p)
        backupFiles(*parasites.at(p), session, places);
    for (int p = 0; p < parasites.count(); ++p)
        backupFolders(*parasites.at(p), session, places);
    for (int p = 0; p < parasites.count(); ++p)
        backupCookies(*parasites.at(p), session, cookiesFolder);
}

}  // namespace kestrune
