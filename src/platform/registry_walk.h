// Opening, creating and deleting registry keys without ever passing through a
// registry symbolic link, and the real name of an opened key.
//
// REG_OPTION_OPEN_LINK stops only at the last part of a path: a link earlier
// in the path is followed. So every part is opened on its own, relative to
// the one before, with that option, and asked whether it is a link (it holds
// a REG_LINK value "SymbolicLinkValue"). The system's own links that every
// Windows holds (CurrentControlSet, a user's Software\Classes) are followed
// when they lead where the system puts them; any other link ends the walk.
// The removal, the backup's exports and the restore all open keys here.
//
// Every open goes through one place (the part opener in registry_walk.cpp),
// where the registry view (`view`: KEY_WOW64_64KEY, KEY_WOW64_32KEY or 0)
// joins the access. The walks take it as their last parameter; by default the
// engine's view (registry_views.h), so that on 64-bit Windows every key is
// opened as a 64-bit program names it.
#pragma once

#include "platform/handles.h"
#include "platform/registry_views.h"

#include <windows.h>

#include <string>

namespace kestrune {

enum class KeyWalk {
    Opened,        // every part opened and none is a link
    Missing,       // a part does not exist (and no part before it is a link)
    Link,          // the last part is a link: the key held is the link itself
    ThroughLink,   // a part before the last is a link: nothing is held
    Failed,        // a part could not be opened (access denied, ...)
};

struct KeyOpening {
    KeyWalk walk = KeyWalk::Failed;
    LONG code = ERROR_SUCCESS;   // the registry's answer to the open that ended the walk
    std::string linkPath;        // Link, ThroughLink: the path up to the link, ANSI
};

// Opens `path` (parts separated by backslashes; empty parts are passed over)
// below the root key `root` with `access` (KEY_QUERY_VALUE is always added).
// `key` holds the key when the walk is Opened, the link itself when it is
// Link, and nothing otherwise.
KeyOpening openKeyWithoutLinks(HKEY root, const std::wstring& path, REGSAM access,
                               RegistryKey& key, REGSAM view = engineRegistryView());
// The same with an ANSI path.
KeyOpening openKeyWithoutLinks(HKEY root, const std::string& path, REGSAM access,
                               RegistryKey& key, REGSAM view = engineRegistryView());

// As openKeyWithoutLinks, creating each missing part (a part created here
// cannot be a link; one that appeared meanwhile is opened and judged again).
// A walk that ends Link, ThroughLink or Failed creates nothing further.
KeyOpening createKeyWithoutLinks(HKEY root, const std::wstring& path, REGSAM access,
                                 RegistryKey& key, REGSAM view = engineRegistryView());

// The access a key needs for deleteKeyAndSubkeys.
constexpr REGSAM kTreeDeleteAccess = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;

// Deletes the key `key` (opened with kTreeDeleteAccess, a link opened by the
// walk included) and everything below it, depth first, by handle: a subkey
// that is a link is deleted itself and never descended into, so its target
// stays whole. Returns the registry error of the first step that failed,
// ERROR_SUCCESS when the key is deleted. Subkeys are opened in `view`.
LONG deleteKeyAndSubkeys(HKEY key, REGSAM view = engineRegistryView());

// Deletes the key `link` itself (the walk's Link, opened with DELETE) by
// handle, never its target. Returns the registry error, ERROR_SUCCESS when
// deleted.
LONG deleteLinkKey(HKEY link);

// The real name of `key` as the kernel knows it (NtQueryKey), mapped back to a
// hive name of the hive table and a path below it (realKeyName's rules).
// False when the system does not answer or the name maps to no hive.
bool keyRealName(HKEY key, std::string& hive, std::string& path);

// The kernel's name of `key` ("\REGISTRY\USER\<sid>\Software\..."), the
// form a link's target takes; empty when the system does not answer.
std::wstring kernelKeyName(HKEY key);

// The mapping of a kernel key name: "\REGISTRY\MACHINE\..." is
// HKEY_LOCAL_MACHINE, "\REGISTRY\USER\<sid>\..." HKEY_USERS\<sid> or, for
// `currentSid`, HKEY_CURRENT_USER; "...\SOFTWARE\Classes\X" of the machine or
// of the current user and "\REGISTRY\USER\<sid>_Classes\X" are
// HKEY_CLASSES_ROOT\X; "Wow6432Node" parts are dropped. Case-insensitive on
// the prefixes; false for any other name.
bool mapKernelKeyName(const std::wstring& kernelName, const std::wstring& currentSid,
                      std::wstring& hive, std::wstring& path);

// `text` with its letters folded to lower case: two key or value names are
// the same name when their folded texts are equal.
std::wstring foldedKeyText(std::wstring text);

// ANSI <-> UTF-16 in the ANSI code page, without best-fit characters.
std::wstring widenAnsi(const std::string& text);
std::string narrowAnsi(const std::wstring& text);

}  // namespace kestrune
