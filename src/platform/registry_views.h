// The two registry views of 64-bit Windows as Kestrune, a 32-bit program,
// sees them: which view the engine opens keys in, and where the 32-bit copy
// of a key lies when Windows keeps one apart (registry redirection).
//
// On 64-bit Windows every key the engine opens names the 64-bit view
// (KEY_WOW64_64KEY), so that `Software\X` is the key a 64-bit program sees and
// the 32-bit copy is reached by its real name, `Software\Wow6432Node\X`. On
// 32-bit Windows no view is named and nothing is redirected.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// KEY_WOW64_64KEY on 64-bit Windows (runningOnWow64), 0 otherwise.
REGSAM engineRegistryView();

// The name of the 32-bit copy of key `path` below hive `hive` (a hive table
// name, or a name of HKEY_USERS\<sid>...), as the 64-bit view names it, when
// Windows redirects that key for 32-bit programs; empty when it does not (a
// shared key, a key of another hive, a path that names Wow6432Node already).
// Redirected: HKEY_LOCAL_MACHINE\Software except its shared keys, and the
// CLSID, DirectShow, Interface, Media Type and MediaFoundation trees of the
// classes (HKEY_CLASSES_ROOT and each Software\Classes). Judged by the words
// alone; nothing is opened.
std::string wow64RedirectedPath(const std::string& hive, const std::string& path);

}  // namespace kestrune
