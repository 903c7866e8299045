// The drive search of the full scan: folder trees (the Windows folder, then
// each searched drive root) walked in order for the files and folders named
// without a place.
//
// On one thread it is walkFolder over each tree in turn. On two, walker
// threads walk each tree while the scan thread merges what they saw in walk
// order. One walker starts at the tree's root. A walker lists a folder whole,
// then goes through its entries in listing order, so the folders it has
// listed but not yet entered are known: an idle walker takes over one of
// them (the next one of the shallowest such folder, where the biggest
// subtree is to be expected) as a task of its own, and the first walker, on
// reaching it, notes the task there instead of entering it. The merge
// replays each task whole where it is noted, so the order is the one-thread
// walk's at any depth, and both walkers stay busy until the tree's end.
// A walker keeps only the entries whose name some pending item has, the
// places it could not read, a progress note now and then, and the count of
// the entries in between; it judges nothing. The scan thread alone credits
// items ("the first unfound item of that name"), asks the protected places
// and reports, in walk order, so finds, skipped and unreadable places, the
// items' `path` and `found`, and the final count are exactly those of the
// one-thread walk, and a stopped search has reported a walk-order prefix of
// them. The status text is shown for those entries and notes only, not for
// every entry. Memory does not grow with the tree: a walker waits when its
// task holds many unmerged results, and an idle walker takes over nothing
// while many tasks are unmerged; a walker holds the listings of the folders
// it is inside.
#pragma once

#include "scan/item_checks.h"
#include "scan/pending_search.h"

#include <string>
#include <vector>

namespace kestrune {

// The environment variable that sets the number of walkers: "1" makes the
// drive search walk on the scan thread alone.
extern const char kSearchThreadsVariable[];

// The walkers the drive search uses when its caller names none: 1 when
// KESTRUNE_SCAN_THREADS is "1", else 2.
int defaultSearchThreads();

// How many folders one walker has taken over from another since the program
// started (tests check that the work is really split).
unsigned long foldersTakenOver();

// Walks each of `trees` (folders, trailing backslashes allowed) in order,
// matching the entries against the pending lists as walkFolder does, with
// `threads` walkers (1: on the calling thread). Ends early once
// the run's stop request is set. A worker's failure (out of memory) is thrown on the
// calling thread when the merge reaches it, as std::bad_alloc.
void searchFolderTrees(ScanRun& run, const std::vector<std::string>& trees,
                       PendingList<FileItem>& pendingFiles,
                       PendingList<DirectoryItem>& pendingFolders, int threads);

}  // namespace kestrune
