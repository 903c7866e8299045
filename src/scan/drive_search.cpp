// The drive search on one thread, or on walkers that split the trees folder
// by folder and a merge that replays the one-thread walk's order.
#include "scan/drive_search.h"

#include "platform/boundary.h"
#include "platform/folder_listing.h"
#include "platform/fs_redirection.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "scan/tree_walk.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
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

// Tasks handed out and not yet merged whole, at most: past it an idle walker
// waits instead of taking over a folder.
const size_t kTasksAhead = 64;
// Unmerged results one task may hold before its walker waits.
const size_t kEventsPerTask = 1024;
// A walker notes its progress (status text and count) every so many entries.
const unsigned long kProgressEvery = 128;
// How often the merge, waiting for a walker, looks at the stop request.
const std::chrono::milliseconds kStopPoll(20);

std::atomic<unsigned long> takenOverCount{0};

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

// A folder walked by one walker: a tree's root, or a folder it took over
// from another walker. `events`, `done` and `failure` are guarded by
// Workers' lock.
struct FolderTask {
    explicit FolderTask(std::string path) : folder(std::move(path)) {}
    const std::string folder;
    std::deque<WalkEvent> events;   // produced and not yet merged
    bool done = false;
    enum { None, OutOfMemory, Internal } failure = None;
};

// A folder a walker has listed whole and is going through in listing order.
// `folder`, `names`, `entries` and `enterable` do not change once the frame
// is on its walker's stack; `next` and `reached` are the walker's own;
// `claimed` and `takenOver` are guarded by Workers' lock.
struct Frame {
    struct Entry {
        size_t nameAt;   // in `names`, ended by '\0'
        DWORD attributes;
    };
    std::string folder;                // no trailing backslash
    std::string names;
    std::vector<Entry> entries;
    bool brokenOff = false;            // the listing ended on an error
    std::vector<size_t> enterable;     // the entries a walk enters, in order
    size_t next = 0;                   // the entry to handle next
    size_t reached = 0;                // the enterable entries handled
    size_t claimed = 0;                // enterable entries entered or taken over
    std::vector<std::shared_ptr<FolderTask>> takenOver;   // by enterable index
};

using FrameStack = std::vector<std::unique_ptr<Frame>>;

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

// A walker's walk of one task. It makes walkTree's steps in walkTree's
// order, but lists each folder whole before going through it, so that the
// folders it has not yet entered can be taken over by an idle walker: it
// then reports a Subtree step where it would have entered one of them.
class TaskWalk {
public:
    TaskWalk(Workers& workers, FrameStack& frames, FolderTask& task, const SearchedNames& names)
        : workers_(workers), frames_(frames), task_(task), names_(names)
    {
    }

    // Walks the task's folder and hands on the count of its last entries.
    void run();

private:
    bool stopping() const;
    void show(const std::string& path)
    {
        if (counted_ >= kProgressEvery)
            emit(WalkEvent::Progress, path, 0, nullptr);
    }
    bool named(const std::unordered_set<std::string>& names, const std::string& fullPath,
               size_t nameAt)
    {
        return isSearchedName(names, fullPath, nameAt, name_);
    }
    void list(const std::string& folder);
    void handle(Frame& frame, std::string& path);
    void emit(WalkEvent::Kind kind, const std::string& path, size_t nameAt,
              std::shared_ptr<FolderTask> task);

    Workers& workers_;
    FrameStack& frames_;
    FolderTask& task_;
    const SearchedNames& names_;
    unsigned long counted_ = 0;
    std::string name_;
};

// The walker threads, their stacks of listed folders and the tasks waiting
// for them. The destructor ends and joins them, whatever state the merge
// left behind.
class Workers {
public:
    Workers(const SearchedNames& names, const std::atomic<bool>& stopRequest, int count)
        : names_(names), stopRequest_(stopRequest), stacks_(static_cast<size_t>(count))
    {
        try {
            for (size_t i = 0; i < stacks_.size(); ++i)
                threads_.emplace_back(
                    [this, i] { threadBoundary("drive search worker", [this, i] { work(i); }); });
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

    // Queues the walk of a tree's root folder for the next idle walker.
    std::shared_ptr<FolderTask> handOut(const std::string& folder)
    {
        auto task = std::make_shared<FolderTask>(folder);
        {
            std::lock_guard<std::mutex> hold(lock_);
            waiting_.push_back(task);
            ++unmerged_;
        }
        idleChanged_.notify_all();
        return task;
    }

    // The merge has merged a task whole.
    void merged()
    {
        bool wake;
        {
            std::lock_guard<std::mutex> hold(lock_);
            --unmerged_;
            wake = idle_ > 0;
        }
        if (wake)
            idleChanged_.notify_all();
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
            eventsChanged_.wait_for(hold, kStopPoll);
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
        eventsChanged_.notify_all();
        return true;
    }

    // A walker's event, appended in walk order; waits while the task holds
    // as many unmerged events as it may. A progress note right after another
    // is folded into it, so that a walker far ahead of the merge does not
    // fill its task with them.
    void push(FolderTask& task, WalkEvent&& event)
    {
        std::unique_lock<std::mutex> hold(lock_);
        if (event.kind == WalkEvent::Progress && !task.events.empty() &&
            task.events.back().kind == WalkEvent::Progress) {
            WalkEvent& last = task.events.back();
            last.counted += event.counted;
            if (!event.path.empty())
                last.path.swap(event.path);
            return;
        }
        eventsChanged_.wait(hold,
                            [&] { return task.events.size() < kEventsPerTask || quitting(); });
        if (quitting())
            return;
        const bool wasEmpty = task.events.empty();
        task.events.push_back(std::move(event));
        hold.unlock();
        if (wasEmpty)
            eventsChanged_.notify_all();
    }

    // Puts a listed folder on top of its walker's stack, where an idle
    // walker may take over its folders.
    void pushFrame(FrameStack& frames, std::unique_ptr<Frame> frame)
    {
        bool wake;
        {
            std::lock_guard<std::mutex> hold(lock_);
            wake = idle_ > 0 && !frame->enterable.empty();
            frames.push_back(std::move(frame));
        }
        if (wake)
            idleChanged_.notify_all();
    }

    void popFrame(FrameStack& frames)
    {
        std::lock_guard<std::mutex> hold(lock_);
        frames.pop_back();
    }

    // The walker reached the frame's next enterable folder: the task walking
    // it when another walker took it over, else null (the walker enters it).
    std::shared_ptr<FolderTask> reach(Frame& frame)
    {
        const size_t index = frame.reached++;
        std::lock_guard<std::mutex> hold(lock_);
        if (index < frame.claimed)
            return frame.takenOver[index];
        frame.claimed = index + 1;
        return nullptr;
    }

private:
    void work(size_t self)
    {
        // The walkers walk the real folders, as the scan thread does.
        const ScopedFsRedirectionOff realFolders;
        FrameStack& frames = stacks_[self];
        for (;;) {
            std::shared_ptr<FolderTask> task = nextTask(self);
            if (!task)
                return;
            auto failure = FolderTask::None;
            try {
                TaskWalk walk(*this, frames, *task, names_);
                walk.run();
            } catch (const std::bad_alloc&) {
                failure = FolderTask::OutOfMemory;
            } catch (...) {
                failure = FolderTask::Internal;
            }
            {
                std::lock_guard<std::mutex> hold(lock_);
                frames.clear();
                task->done = true;
                task->failure = failure;
            }
            eventsChanged_.notify_all();
        }
    }

    // Waits for a tree's root to walk or a folder to take over; null once
    // the walkers are to end.
    std::shared_ptr<FolderTask> nextTask(size_t self)
    {
        std::unique_lock<std::mutex> hold(lock_);
        for (;;) {
            if (quitting())
                return nullptr;
            if (!waiting_.empty()) {
                std::shared_ptr<FolderTask> task = std::move(waiting_.front());
                waiting_.pop_front();
                return task;
            }
            if (unmerged_ < kTasksAhead && !stopAsked()) {
                std::shared_ptr<FolderTask> task = takeOver(self);
                if (task)
                    return task;
            }
            ++idle_;
            idleChanged_.wait_for(hold, kStopPoll);
            --idle_;
        }
    }

    // Under the lock: takes over the next folder not yet entered of the
    // shallowest frame that has one (the biggest subtree to be expected).
    std::shared_ptr<FolderTask> takeOver(size_t self)
    {
        Frame* best = nullptr;
        size_t bestDepth = 0;
        for (size_t other = 0; other < stacks_.size(); ++other) {
            if (other == self)
                continue;
            const FrameStack& frames = stacks_[other];
            for (size_t depth = 0; depth < frames.size() && (!best || depth < bestDepth);
                 ++depth) {
                if (frames[depth]->claimed < frames[depth]->enterable.size()) {
                    best = frames[depth].get();
                    bestDepth = depth;
                    break;
                }
            }
        }
        if (!best)
            return nullptr;
        try {
            const Frame::Entry& entry = best->entries[best->enterable[best->claimed]];
            auto task = std::make_shared<FolderTask>(best->folder + '\\' +
                                                     (best->names.c_str() + entry.nameAt));
            best->takenOver.resize(best->enterable.size());
            best->takenOver[best->claimed++] = task;
            ++unmerged_;
            takenOverCount.fetch_add(1, std::memory_order_relaxed);
            return task;
        } catch (const std::bad_alloc&) {
            return nullptr;   // the folder's own walker enters it
        }
    }

    void stop()
    {
        {
            std::lock_guard<std::mutex> hold(lock_);
            quit_ = true;
        }
        eventsChanged_.notify_all();
        idleChanged_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
    }

    const SearchedNames& names_;
    const std::atomic<bool>& stopRequest_;
    std::mutex lock_;
    std::condition_variable eventsChanged_;   // a task's events or state
    std::condition_variable idleChanged_;     // work for an idle walker
    std::deque<std::shared_ptr<FolderTask>> waiting_;
    std::vector<FrameStack> stacks_;          // one per walker
    size_t unmerged_ = 0;                     // tasks handed out, not merged whole
    size_t idle_ = 0;                         // walkers waiting for a task
    std::atomic<bool> quit_{false};
    std::vector<std::thread> threads_;
};

bool TaskWalk::stopping() const
{
    return workers_.stopAsked() || workers_.quitting();
}

void TaskWalk::run()
{
    std::string path = task_.folder;
    list(path);
    while (!frames_.empty() && !stopping()) {
        Frame& frame = *frames_.back();
        if (frame.next < frame.entries.size()) {
            handle(frame, path);
            continue;
        }
        if (frame.brokenOff)   // a listing broken off hid the rest of the folder
            emit(WalkEvent::Unreadable, folderName(frame.folder), 0, nullptr);
        workers_.popFrame(frames_);
    }
    if (counted_ > 0)
        emit(WalkEvent::Progress, std::string(), 0, nullptr);
}

// Lists `folder` whole onto the stack, as walkTree lists it; a folder that
// cannot be listed is reported as walkTree reports it.
void TaskWalk::list(const std::string& folder)
{
    FolderListing listing(folder + "\\*.*");
    if (!listing.opened()) {
        if (!isNothingToList(listing.error()))
            emit(WalkEvent::Unreadable, folderName(folder), 0, nullptr);
        return;
    }
    auto frame = std::make_unique<Frame>();
    frame->folder = folder;
    while (listing.next()) {
        if (stopping())
            return;
        const WIN32_FIND_DATAA& entry = listing.entry();
        const DWORD attributes = entry.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !isDotEntry(entry.cFileName) &&
            !strchr(entry.cFileName, '?'))
            frame->enterable.push_back(frame->entries.size());
        frame->entries.push_back({frame->names.size(), attributes});
        frame->names += entry.cFileName;
        frame->names += '\0';
    }
    frame->brokenOff = !isNothingToList(listing.error());
    workers_.pushFrame(frames_, std::move(frame));
}

// walkTree's handling of the frame's next entry; `path` begins with the
// frame's folder.
void TaskWalk::handle(Frame& frame, std::string& path)
{
    const Frame::Entry entry = frame.entries[frame.next++];
    ++counted_;
    const char* name = frame.names.c_str() + entry.nameAt;
    if (isDotEntry(name))
        return;
    path.resize(frame.folder.size());
    path += '\\';
    const size_t nameAt = path.size();
    path += name;
    show(path);
    if (path.find('?', nameAt) != std::string::npos) {
        emit(WalkEvent::Unreadable, path, 0, nullptr);
    } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (named(names_.folders, path, nameAt))
            emit(WalkEvent::Folder, path, nameAt, nullptr);
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return;
        std::shared_ptr<FolderTask> other = workers_.reach(frame);
        if (other)
            emit(WalkEvent::Subtree, std::string(), 0, std::move(other));
        else
            list(path);   // `frame` is no longer the top one
    } else if (named(names_.files, path, nameAt)) {
        emit(WalkEvent::File, path, nameAt, nullptr);
    }
}

void TaskWalk::emit(WalkEvent::Kind kind, const std::string& path, size_t nameAt,
                    std::shared_ptr<FolderTask> task)
{
    WalkEvent event{kind, counted_, path, nameAt, std::move(task)};
    counted_ = 0;
    workers_.push(task_, std::move(event));
}

// The scan thread's side of one tree: it hands the tree's root to the
// walkers and merges every task in walk order, each one whole where its
// Subtree step stands.
class TreeMerge {
public:
    TreeMerge(ScanRun& run, Workers& workers, PendingList<FileItem>& files,
              PendingList<DirectoryItem>& folders)
        : run_(run), workers_(workers), files_(files), folders_(folders)
    {
    }

    void mergeTree(const std::string& root) { mergeTask(*workers_.handOut(root)); }

private:
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
        if (!stopped_)
            workers_.merged();
    }

    ScanRun& run_;
    Workers& workers_;
    PendingList<FileItem>& files_;
    PendingList<DirectoryItem>& folders_;
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

unsigned long foldersTakenOver()
{
    return takenOverCount.load(std::memory_order_relaxed);
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
        const std::string root = withoutTrailingBackslashes(tree, RootBackslash::Removed);
        if (root.empty())
            continue;
        TreeMerge merge(run, workers, pendingFiles, pendingFolders);
        merge.mergeTree(root);
    }
}

}  // namespace kestrune
