// WindowScanReporter: posted finds and states, published text and count.
#include "app/window_scan_reporter.h"

#include "app/window_messages.h"

#include <memory>

namespace kestrune {

UINT foundMessage(ItemKind kind)
{
    switch (kind) {
    case ItemKind::RegistryKey:
        return WM_FOUND_REGKEY;
    case ItemKind::RegistryValue:
        return WM_FOUND_REGVALUE;
    case ItemKind::File:
        return WM_FOUND_FILE;
    case ItemKind::Folder:
        return WM_FOUND_FOLDER;
    case ItemKind::Cookie:
        return WM_FOUND_COOKIE;
    }
    return WM_FOUND_FILE;
}

ItemKind foundKind(UINT message)
{
    switch (message) {
    case WM_FOUND_REGKEY:
        return ItemKind::RegistryKey;
    case WM_FOUND_REGVALUE:
        return ItemKind::RegistryValue;
    case WM_FOUND_FOLDER:
        return ItemKind::Folder;
    case WM_FOUND_COOKIE:
        return ItemKind::Cookie;
    default:
        return ItemKind::File;
    }
}

WindowScanReporter::WindowScanReporter(const std::atomic<bool>& stop, HWND window,
                                       PostFunction post)
    : stop_(stop), window_(window), post_(std::move(post))
{
}

void WindowScanReporter::reset(HWND window)
{
    window_ = window;
    {
        std::lock_guard<std::mutex> hold(textLock_);
        text_.clear();
        textChanged_ = false;
    }
    count_ = 0;
    countChanged_ = false;
    failed_ = false;
    ignored_ = 0;
    unreadable_ = 0;
}

bool WindowScanReporter::takeText(std::string& text)
{
    std::lock_guard<std::mutex> hold(textLock_);
    if (!textChanged_)
        return false;
    text = text_;
    textChanged_ = false;
    return true;
}

bool WindowScanReporter::takeCount(unsigned long& count)
{
    if (!countChanged_.exchange(false))
        return false;
    count = count_;
    return true;
}

void WindowScanReporter::scanStarted()
{
    postState(UiState::Scanning);
}

void WindowScanReporter::phaseStarted(ScanPhase)
{
}

void WindowScanReporter::found(const Find& find)
{
    auto owned = std::make_unique<Find>(find);
    const UINT message = foundMessage(find.kind);
    const WPARAM parasite = static_cast<WPARAM>(find.parasiteIndex);
    while (!post_(window_, message, parasite, reinterpret_cast<LPARAM>(owned.get()))) {
        if (stop_ || !IsWindow(window_))
            return;   // `owned` frees the find
        Sleep(kRetryMs);
    }
    owned.release();   // the window owns it now
}

void WindowScanReporter::currentText(const std::string& text)
{
    std::lock_guard<std::mutex> hold(textLock_);
    text_ = text;
    textChanged_ = true;
}

void WindowScanReporter::itemsScanned(unsigned long count)
{
    count_ = count;
    countChanged_ = true;
}

void WindowScanReporter::scanFailed(const std::string&)
{
    failed_ = true;
}

void WindowScanReporter::ignoredFind(const Find&)
{
    ++ignored_;
}

void WindowScanReporter::unreadable(const std::string&)
{
    ++unreadable_;
}

void WindowScanReporter::scanEnded()
{
    postState(UiState::ScanFinished);
}

void WindowScanReporter::postState(UiState state)
{
    while (!post_(window_, WM_SCAN_STATE, 0, static_cast<LPARAM>(state))) {
        if (!IsWindow(window_))
            return;
        Sleep(kRetryMs);
    }
}

}  // namespace kestrune
