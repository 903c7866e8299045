// Kestrune's name and version, written once for the code and the resources
// (res/kestrune.rc includes this header too, so only macros live here).
#pragma once

#define KESTRUNE_NAME "Kestrune"
#define KESTRUNE_VERSION "2.01"

// The same version as the four numbers of the executables' version
// information: "2.01" is 2.1.0.0.
#define KESTRUNE_VERSION_MAJOR 2
#define KESTRUNE_VERSION_MINOR 1
#define KESTRUNE_VERSION_PATCH 0
#define KESTRUNE_VERSION_BUILD 0
#define KESTRUNE_COPYRIGHT "Copyright (C) 2026 Kestrune"

// "Kestrune v2.01": the main window's title, by which a second start finds
// the running instance, and the caption of several message boxes.
#define KESTRUNE_TITLE KESTRUNE_NAME " v" KESTRUNE_VERSION
