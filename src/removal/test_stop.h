// A test hook: the crash tests end the process at a named step of a backup, a
// removal or a restore, as a power cut or a kill would, without guessing at timings.
// Inert unless the environment variable KESTRUNE_TEST_STOP_AT names the step.
#pragma once

namespace kestrune {

// The steps the hook knows.
extern const char kStopDuringCopies[];      // "copies": after the first copy
extern const char kStopWhilePacking[];      // "packing": after the first entry packed
extern const char kStopBeforeRemoval[];     // "archive": the archive is whole, nothing removed
extern const char kStopDuringRemoval[];     // "removal": after the first item removed
extern const char kStopBeforeMove[];        // "restore-write": a restored file written
                                            // beside its place, not yet moved over it
extern const char kStopBetweenItems[];      // "restore-between": after the first item restored

// Ends the process at once (TerminateProcess, exit code 99: no clean-up, no
// destructors, no flushing) when KESTRUNE_TEST_STOP_AT equals `step`.
// Does nothing otherwise.
void stopHereForTests(const char* step);
// stopHereForTests(kStopBeforeMove), for writeFileInPlace.
void stopBeforeMoveForTests();

}  // namespace kestrune
