// The drive search on one thread, or on two workers merged in walk order.
#include "scan/drive_search.h"

#include "platform/boundary.h"
#include "platform/fs_redirection.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "scan/tree_walk.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>
#include <unordered_set>

namespace kestrune {

const char kSearchThreadsVariable[] = "KESTRUNE_SCAN_THREADS";

namespace {

// Top-level folders handed out and not yet merged, at most.
const size_t kFoldersAhead = 4;
// Unmerged results one folder may hold before its worker waits.
const size_t kEventsPerFolder = 1024;
// A worker notes its progress (status text and count) every so many entries.
const unsigned long kProgressEvery = 128;
// How often the merge, waiting for a worker, looks at the stop request.
const std::chrono::milliseconds kStopPoll(20);

struct FolderTask;

// One step of the merge, in walk order: first `counted` entries are added to
// the items scanned, then the step itself.
struct WalkEvent {
    enum Kind {
        Progress,     // shows `path` when it is not empty
        File,         // an entry whose name a pending file item has
        Folder,       // the same for a folder
        Unreadable,   // a folder or entry the walk could not read
        Subtree,      // the walk of `task`'s folder, merged whole here
    };
    Kind kind;
    unsigned long counted;
    std::string path;
    size_t nameAt;   // File, Folder: where the entry's name begins in `path`
    std::shared_ptr<FolderTask> task;
};

// A top-level folder for a worker: the walk of everything below it. `events`,
// `done` and `failure` are guarded by Workers' lock.
struct FolderTask {
    explicit FolderTask(const std::string& path) : folder(path) {}
    const std::string folder;
    std::deque<WalkEvent> events;   // produced and not yet merged
    bool done = false;
    enum { None, OutOfMemory, Internal } failure = None;
};

// The folded names the pending items are looked for by.
struct SearchedNames {
    std::unordered_set<std::string> files;
    std::unordered_set<std::string> folders;
};

// Whether the entry whose name starts at `nameAt` of `fullPath` is one of
// `names`; `scratch` keeps its buffer from one entry to the next.
bool isSearchedName(const std::unordered_set<std::string>& names, const std::string& fullPath,
                    size_t nameAt, std::string& scratch)
{
    if (names.empty())
        return false;
    scratch.assign(fullPath, nameAt, std::string::npos);
    return names.count(foldedText(scratch)) != 0;
}

class Workers;

// A worker's walk of one folder task: walkTree's walk and visitor at once.
class TaskWalk {
public:
    TaskWalk(Workers& workers, FolderTask& task, const SearchedNames& names)
        : workers_(workers), task_(task), names_(names)
    {
    }
    bool stopping() const;
    void countItem() { ++counted_; }
    void show(const std::string& path)
    {
        if (counted_ >= kProgressEvery)
            emit(WalkEvent::Progress, path, 0);
    }
    void unreadable(const std::string& path) { emit(WalkEvent::Unreadable, path, 0); }
    void folder(const std::string& fullPath, size_t nameAt)
    {
        if (named(names_.folders, fullPath, nameAt))
            emit(WalkEvent::Folder, fullPath, nameAt);
    }
    void file(const std::string& fullPath, size_t nameAt)
    {
        if (named(names_.files, fullPath, nameAt))
            emit(WalkEvent::File, fullPath, nameAt);
    }
    void enter(std::string& path) { walkTree(*this, path, *this); }

    // Walks the task's folder and hands on the count of its last entries.
    void run()
    {
        std::string path = task_.folder;
        walkTree(*this, path, *this);
        if (counted_ > 0)
            emit(WalkEvent::Progress, std::string(), 0);
    }

private:
    bool named(const std::unordered_set<std::string>& names, const std::string& fullPath,
               size_t nameAt)
    {
        return isSearchedName(names, fullPath, nameAt, name_);
    }
    void emit(WalkEvent::Kind kind, const std::string& path, size_t nameAt);

    Workers& workers_;
    FolderTask& task_;
    const SearchedNames& names_;
    unsigned long counted_ = 0;
    std::string name_;
};

// The worker threads and the folders waiting for them. The destructor ends
// and joins them, whatever state the merge left behind.
class Workers {
public:
    Workers(const SearchedNames& names, const std::atomic<bool>& stopRequest, int count)
        : names_(names), stopRequest_(stopRequest)
    {
        try {
            for (int i = 0; i < count; ++i)
                threads_.emplace_back(
                    [this] { threadBoundary("drive search worker", [this] { work(); }); });
        } catch (...) {
            stop();
            throw;
        }
    }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;
    ~Workers() { stop(); }

    bool quitting() const { return quit_.load(std::memory_order_relaxed); }
    bool stopAsked() const { return stopRequest_.load(std::memory_order_relaxed); }

    // Queues the walk of `folder` behind those handed out before.
    std::shared_ptr<FolderTask> handOut(const std::string& folder)
    {
        auto task = std::make_shared<FolderTask>(folder);
        {
            std::lock_guard<std::mutex> hold(lock_);
            waiting_.push_back(task);
        }
        changed_.notify_all();
        return task;
    }

    // Moves the task's unmerged events into `into` (empty before), waiting
    // until there are some. False once the task is done and all its events
    // were taken, or when `stopping` says so while waiting.
    template <typename Stopping>
    bool take(FolderTask& task, std::deque<WalkEvent>& into, Stopping stopping)
    {
        std::unique_lock<std::mutex> hold(lock_);
        while (task.events.empty() && !task.done) {
            if (stopping())
                return false;
            changed_.wait_for(hold, kStopPoll);
        }
        if (task.events.empty()) {
            if (task.failure == FolderTask::OutOfMemory)
                throw std::bad_alloc();
            if (task.failure == FolderTask::Internal)
                throw std::runtime_error("drive search worker");
            return false;
        }
        into.swap(task.events);
        hold.unlock();
        changed_.notify_all();
        return true;
    }

    // A worker's event, appended in walk order; waits while the task holds
    // as many unmerged events as it may.
    void push(FolderTask& task, WalkEvent&& event)
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return task.events.size() < kEventsPerFolder || quitting(); });
        if (quitting())
            return;
        const bool wasEmpty = task.events.empty();
        task.events.push_back(std::move(event));
        hold.unlock();
        if (wasEmpty)
            changed_.notify_all();
    }

private:
    void work()
    {
        // The workers walk the real folders, as the scan thread does.
        const ScopedFsRedirectionOff realFolders;
        for (;;) {
            std::shared_ptr<FolderTask> task;
            {
                std::unique_lock<std::mutex> hold(lock_);
                changed_.wait(hold, [&] { return !waiting_.empty() || quitting(); });
                if (quitting())
                    return;
                task = waiting_.front();
                waiting_.pop_front();
            }
            auto failure = FolderTask::None;
            try {
                TaskWalk walk(*this, *task, names_);
                walk.run();
            } catch (const std::bad_alloc&) {
                failure = FolderTask::OutOfMemory;
            } catch (...) {
                failure = FolderTask::Internal;
            }
            {
                std::lock_guard<std::mutex> hold(lock_);
                task->done = true;
                task->failure = failure;
            }
            changed_.notify_all();
        }
    }

    void stop()
    {
        {
            std::lock_guard<std::mutex> hold(lock_);
            quit_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
    }

    const SearchedNames& names_;
    const std::atomic<bool>& stopRequest_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<FolderTask>> waiting_;
    std::atomic<bool> quit_{false};
    std::vector<std::thread> threads_;
};

bool TaskWalk::stopping() const
{
    return workers_.stopAsked() || workers_.quitting();
}

void TaskWalk::emit(WalkEvent::Kind kind, const std::string& path, size_t nameAt)
{
    WalkEvent event{kind, counted_, path, nameAt, nullptr};
    counted_ = 0;
    workers_.push(task_, std::move(event));
}

// The scan thread's side of one tree: it lists the tree's top level itself
// (walkTree's walk and visitor), hands each top-level folder to the workers
// and merges everything in walk order, at most kFoldersAhead folders behind
// the listing.
class TreeMerge {
public:
    TreeMerge(ScanRun& run, Workers& workers, const SearchedNames& names,
              PendingList<FileItem>& files, PendingList<DirectoryItem>& folders)
        : run_(run), workers_(workers), names_(names), files_(files), folders_(folders)
    {
    }

    bool stopping() const { return stopped_ || run_.stopping(); }
    void countItem() { ++counted_; }
    void show(const std::string&) {}
    void unreadable(const std::string& path) { queue(WalkEvent::Unreadable, path, 0, nullptr); }
    void folder(const std::string& fullPath, size_t nameAt)
    {
        if (named(names_.folders, fullPath, nameAt))
            queue(WalkEvent::Folder, fullPath, nameAt, nullptr);
    }
    void file(const std::string& fullPath, size_t nameAt)
    {
        if (named(names_.files, fullPath, nameAt))
            queue(WalkEvent::File, fullPath, nameAt, nullptr);
    }
    void enter(std::string& path)
    {
        queue(WalkEvent::Subtree, path, 0, workers_.handOut(path));
        ++foldersAhead_;
        while (foldersAhead_ >= kFoldersAhead && !stopped_)
            mergeNext();
    }

    // Merges what is left once the top level is listed.
    void finish()
    {
        if (counted_ > 0)
            queue(WalkEvent::Progress, std::string(), 0, nullptr);
        while (!ahead_.empty() && !stopped_)
            mergeNext();
    }

private:
    bool named(const std::unordered_set<std::string>& names, const std::string& fullPath,
               size_t nameAt)
    {
        return isSearchedName(names, fullPath, nameAt, name_);
    }

    void queue(WalkEvent::Kind kind, const std::string& path, size_t nameAt,
               std::shared_ptr<FolderTask> task)
    {
        ahead_.push_back(WalkEvent{kind, counted_, path, nameAt, std::move(task)});
        counted_ = 0;
    }

    void mergeNext()
    {
        WalkEvent event = std::move(ahead_.front());
        ahead_.pop_front();
        merge(event);
    }

    // Reports one step as the one-thread walk would have at that point: that
    // walk asks for a stop before it counts an entry, and then goes on with
    // the entry it counted.
    void merge(const WalkEvent& event)
    {
        if (stopped_ || run_.stopping()) {
            stopped_ = true;
            return;
        }
        if (event.counted > 1) {
            run_.countItems(event.counted - 1);
            if (run_.stopping()) {
                stopped_ = true;
                return;
            }
        }
        if (event.counted > 0)
            run_.countItem();
        switch (event.kind) {
        case WalkEvent::Progress:
            if (!event.path.empty())
                run_.show(event.path);
            break;
        case WalkEvent::File:
            run_.show(event.path);
            name_.assign(event.path, event.nameAt, std::string::npos);
            matchPendingFile(run_, files_, name_, event.path);
            break;
        case WalkEvent::Folder:
            run_.show(event.path);
            name_.assign(event.path, event.nameAt, std::string::npos);
            matchPendingFolder(run_, folders_, name_, event.path);
            break;
        case WalkEvent::Unreadable:
            run_.unreadable(event.path);
            break;
        case WalkEvent::Subtree:
            mergeTask(*event.task);
            --foldersAhead_;
            break;
        }
    }

    void mergeTask(FolderTask& task)
    {
        std::deque<WalkEvent> events;
        while (!stopped_ &&
               workers_.take(task, events, [this] { return run_.stopping(); })) {
            for (const WalkEvent& event : events)
                merge(event);
            events.clear();
        }
        if (run_.stopping())
            stopped_ = true;
    }

    ScanRun& run_;
    Workers& workers_;
    const SearchedNames& names_;
    PendingList<FileItem>& files_;
    PendingList<DirectoryItem>& folders_;
    std::deque<WalkEvent> ahead_;   // the top level's steps, in walk order
    size_t foldersAhead_ = 0;       // Subtree steps in ahead_ or being merged
    unsigned long counted_ = 0;     // top-level entries since the last step
    bool stopped_ = false;
    std::string name_;
};

}  // namespace

int defaultSearchThreads()
{
    char value[8] = "";
    const DWORD length = GetEnvironmentVariableA(kSearchThreadsVariable, value, sizeof value);
    return length == 1 && value[0] == '1' ? 1 : 2;
}

void searchFolderTrees(ScanRun& run, const std::vector<std::string>& trees,
                       PendingList<FileItem>& pendingFiles,
                       PendingList<DirectoryItem>& pendingFolders, int threads)
{
    if (threads <= 1) {
        for (const std::string& tree : trees) {
            if (run.stopping())
                return;
            walkFolder(run, tree, pendingFiles, pendingFolders);
        }
        return;
    }
    SearchedNames names;
    names.files = pendingFiles.foldedNames();
    names.folders = pendingFolders.foldedNames();
    Workers workers(names, run.stopRequest(), threads);
    for (const std::string& tree : trees) {
        if (run.stopping())
            return;
        std::string path = withoutTrailingBackslashes(tree, RootBackslash::Removed);
        if (path.empty())
            continue;
        TreeMerge merge(run, workers, names, pendingFiles, pendingFolders);
        walkTree(merge, path, merge);
        merge.finish();
    }
}

}  // namespace kestrune
