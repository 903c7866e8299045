// Where the update server is: the version page, the download base and the
// help page. The built-in host comes from the string table; the environment
// variable KESTRUNE_UPDATE_SERVER (a host with an optional port) replaces it,
// for tests and mirrors. The "http://" scheme and the paths never change.
#pragma once

#include <string>

namespace kestrune {

// The environment variable, and the paths below the server's address.
extern const char kUpdateServerVariable[];
extern const char kVersionPagePath[];
extern const char kDownloadPath[];
extern const char kHelpPagePath[];

// The host of the string table's version page ("updates.kestrune.example").
std::string builtInUpdateHost();

// The host to use: KESTRUNE_UPDATE_SERVER when it is set to an acceptable
// host[:port] (letters, digits, '.', '-', one ':' before a port of digits),
// else the built-in host.
std::string updateHost();

// True when `host` is a host name or address with an optional ":port".
bool isAcceptableHost(const std::string& host);

std::string versionPageUrl();    // "http://" + host + "/def/def_newv2.html"
std::string downloadBaseUrl();   // "http://" + host + "/def/"
std::string helpPageUrl();       // "http://" + host + "/help.html"

}  // namespace kestrune
