// The text an ignore-list entry is stored as: "Kind\tlocation\tparasite\tadded",
// with '%', tabs and other control characters of the last three written as
// %XX. Pure text work (no Windows headers), so that the host build fuzzes the
// reading of what the registry hands back; ignore_list.cpp does the storing.
#pragma once

#include "settings/ignore_list.h"

#include <string>

namespace kestrune {

// The stored text of `entry`.
std::string ignoreEntryText(const IgnoreEntry& entry);

// Reads a stored text: exactly four tab-separated fields, the first one's
// word into `kindWord` as it stands (kindFromTypeWord reads it), the other
// three unescaped into `entry`'s location, parasite and date (a '%' not
// followed by two hex digits stays as it is). False, for any other number
// of fields; `entry.kind` is never touched.
bool readIgnoreEntryText(const std::string& text, std::string& kindWord, IgnoreEntry& entry);

}  // namespace kestrune
