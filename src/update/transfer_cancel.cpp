// TransferCancel over WinInet's handles.
#include "update/transfer_cancel.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>

namespace kestrune {

void TransferCancel::cancel()
{
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    // The request first: closing it is what ends a blocked call.
    for (auto it = handles_.rbegin(); it != handles_.rend(); ++it)
        InternetCloseHandle(*it);
    handles_.clear();
}

bool TransferCancel::cancelled() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

bool TransferCancel::lend(void* handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_)
        return false;
    handles_.push_back(handle);
    return true;
}

bool TransferCancel::takeBack(void* handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(handles_.begin(), handles_.end(), handle);
    if (it == handles_.end())
        return false;
    handles_.erase(it);
    return true;
}

bool TransferCancel::runUnlessCancelled(const std::function<bool()>& step)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_)
        return false;
    return step();
}

}  // namespace kestrune
