// TransferCancel: lets another thread end the update's transfers. The
// fetching thread lends it its Internet handles while a request runs;
// cancel() closes them, which makes a blocked WinInet call return, and makes
// every later fetch fail at once.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

namespace kestrune {

class TransferCancel {
public:
    TransferCancel() = default;
    TransferCancel(const TransferCancel&) = delete;
    TransferCancel& operator=(const TransferCancel&) = delete;

    // Closes the lent handles; waits for a step under runUnlessCancelled.
    void cancel();
    bool cancelled() const;

    // Lends `handle` (an HINTERNET); false, and nothing lent, once cancelled.
    bool lend(void* handle);
    // Takes `handle` back: true when the caller still has to close it, false
    // when cancel() has closed it.
    bool takeBack(void* handle);

    // Runs `step` unless cancelled, cancel() waiting until it has ended, so
    // that a step such as an install is done whole or not at all. False
    // when cancelled, otherwise what `step` returned.
    bool runUnlessCancelled(const std::function<bool()>& step);

private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;
    std::vector<void*> handles_;
};

}  // namespace kestrune
