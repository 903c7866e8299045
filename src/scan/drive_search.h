// The drive search of the full scan: folder trees (the Windows folder, then
// each searched drive root) walked in order for the files and folders named
// without a place.
//
// On one thread it is walkFolder over each tree in turn. On two, worker
// threads walk the top-level folders of a tree, each whole, handed out in
// listing order, while the scan thread lists the tree's top level and merges
// what the workers saw in walk order. A worker keeps only the entries whose
// name some pending item has, the places it could not read, a progress note
// now and then, and the count of the entries in between; it judges nothing.
// The scan thread alone credits items ("the first unfound item of that
// name"), asks the protected places and reports, in walk order, so finds,
// skipped and unreadable places, the items' `path` and `found`, and the
// final count are exactly those of the one-thread walk, and a stopped search
// has reported a walk-order prefix of them. The status text is shown for
// those entries and notes only, not for every entry. Memory does not grow
// with the tree: a worker waits when its folder holds many unmerged results
// or when it would run too many folders ahead of the merge.
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

// Walks each of `trees` (folders, trailing backslashes allowed) in order,
// matching the entries against the pending lists as walkFolder does, with
// `threads` walkers (1: on the calling thread). Ends early once
// the run's stop request is set. A worker's failure (out of memory) is thrown on the
// calling thread when the merge reaches it, as std::bad_alloc.
void searchFolderTrees(ScanRun& run, const std::vector<std::string>& trees,
                       PendingList<FileItem>& pendingFiles,
                       PendingList<DirectoryItem>& pendingFolders, int threads);

}  // namespace kestrune
