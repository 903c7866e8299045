// WindowScanReporter: how a scan thread reaches the main window without ever
// waiting for it. Finds and the start and end of a scan travel as posted
// messages (WM_FOUND_* with an owned Find*, WM_SCAN_STATE with Scanning and
// ScanFinished); the status text and the items-scanned count are only
// published here, and the window takes them on its own timer.
//
// The ScanReporter calls come from the scan thread; reset(), takeText(),
// takeCount() and failed() from the window thread.
#pragma once

#include "app/ui_state.h"
#include "scan/scan_reporter.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

namespace kestrune {

class WindowScanReporter : public ScanReporter {
public:
    // How a message is posted; tests put a failing one in.
    using PostFunction = std::function<BOOL(HWND, UINT, WPARAM, LPARAM)>;

    // `stop`: the request that ends the scan early (a find that cannot be
    // posted is given up once it is set); it must outlive the reporter.
    explicit WindowScanReporter(const std::atomic<bool>& stop, HWND window = nullptr,
                                PostFunction post = PostMessageA);
    WindowScanReporter(const WindowScanReporter&) = delete;
    WindowScanReporter& operator=(const WindowScanReporter&) = delete;

    // Before a scan thread starts: the window to post to, and no text or
    // count published.
    void reset(HWND window);

    // The newest text or count, true only when it changed since the last take.
    bool takeText(std::string& text);
    bool takeCount(unsigned long& count);
    // The scan broke off on a failure (read once its end message arrived).
    bool failed() const { return failed_; }
    // The scan's items scanned, ignored finds and unreadable places so far
    // (final once its end message arrived).
    unsigned long count() const { return count_; }
    unsigned long ignoredCount() const { return ignored_; }
    unsigned long unreadableCount() const { return unreadable_; }

    // Test seam: how messages are posted from now on.
    void setPost(PostFunction post) { post_ = std::move(post); }

    // Waiting time between two tries of a post that failed (a full queue).
    static const DWORD kRetryMs = 10;

    void scanStarted() override;
    void phaseStarted(ScanPhase phase) override;
    // Posts the find. When posting fails it waits and tries again until it
    // succeeds, the stop request is set or the window is gone; a find given up
    // is freed.
    void found(const Find& find) override;
    void currentText(const std::string& text) override;
    void itemsScanned(unsigned long count) override;
    void scanFailed(const std::string& reason) override;
    void ignoredFind(const Find& find) override;
    void unreadable(const std::string& path) override;
    void scanEnded() override;

private:
    // Posts WM_SCAN_STATE; retried until it succeeds or the window is gone
    // (a stop must not keep the window from hearing that the scan ended).
    void postState(UiState state);

    const std::atomic<bool>& stop_;
    HWND window_;
    PostFunction post_;
    std::mutex textLock_;
    std::string text_;
    bool textChanged_ = false;
    std::atomic<unsigned long> count_{0};
    std::atomic<bool> countChanged_{false};
    std::atomic<bool> failed_{false};
    std::atomic<unsigned long> ignored_{0};
    std::atomic<unsigned long> unreadable_{0};
};

}  // namespace kestrune
