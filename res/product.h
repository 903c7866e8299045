// Kestrune's name and version, written once for the code and the resources
// (res/kestrune.rc includes this header too, so only macros live here).
#pragma once

#define KESTRUNE_NAME "Kestrune"
#define KESTRUNE_VERSION "2.01"

// "Kestrune v2.01": the main window's title, by which a second start finds
// the running instance, and the caption of several message boxes.
#define KESTRUNE_TITLE KESTRUNE_NAME " v" KESTRUNE_VERSION
