// A test hook: the crash tests end the process at a named step of a backup or
// a removal, as a power cut or a kill would, without guessing at timings.
// Inert unless the environment variable KESTRUNE_TEST_STOP_AT names the step.
#pragma once

namespace kestrune {

// The steps the hook knows.
extern const char kStopDuringCopies[];      // "copies": after the first copy
extern const char kStopWhilePacking[];      // "packing": after the first entry packed
extern const char kStopBeforeRemoval[];     // "archive": the archive is whole, nothing removed
extern const char kStopDuringRemoval[];     // "removal": after the first item removed

// Ends the process at once (TerminateProcess, exit code 99: no clean-up, no
// destructors, no flushing) when KESTRUNE_TEST_STOP_AT equals `step`.
// Does nothing otherwise.
void stopHereForTests(const char* step);

}  // namespace kestrune
