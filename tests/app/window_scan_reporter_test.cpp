// WindowScanReporter: finds are posted with an owned Find and retried while
// the queue is full, the stop request ends the retries, texts and counts are
// published for the window to take.
#include "app/window_scan_reporter.h"

#include "app/window_messages.h"
#include "scan/stop_request.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace kestrune;

namespace {

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window that exists, so that the reporter does not give up on it.
HWND someWindow()
{
    static HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                         nullptr, nullptr);
    return window;
}

}  // namespace

TEST(WindowScanReporter, RetriesAFailedPostUntilItGoesThrough)
{
    stopRequested = false;
    int failures = 3;
    std::vector<Posted> posted;
    WindowScanReporter reporter(stopRequested, someWindow(), [&](HWND, UINT m, WPARAM w, LPARAM l) -> BOOL {
        if (failures > 0) {
            --failures;
            return FALSE;
        }
        posted.push_back(Posted{m, w, l});
        return TRUE;
    });
    Find find;
    find.kind = ItemKind::Cookie;
    find.parasiteIndex = 7;
    find.itemIndex = 2;
    find.location = "tracker";
    reporter.found(find);
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(WM_FOUND_COOKIE, posted[0].message);
    EXPECT_EQ(7u, posted[0].wParam);
    std::unique_ptr<Find> received(reinterpret_cast<Find*>(posted[0].lParam));
    EXPECT_EQ("tracker", received->location);
    EXPECT_EQ(2, received->itemIndex);

    failures = 2;
    reporter.scanEnded();
    ASSERT_EQ(2u, posted.size());
    EXPECT_EQ(WM_SCAN_STATE, posted[1].message);
    EXPECT_EQ(6, posted[1].lParam);
}

TEST(WindowScanReporter, AStopRequestEndsTheRetriesOfAFind)
{
    stopRequested = false;
    int tries = 0;
    WindowScanReporter reporter(stopRequested, someWindow(), [&](HWND, UINT, WPARAM, LPARAM) -> BOOL {
        if (++tries == 5)
            stopRequested = true;
        return FALSE;
    });
    reporter.found(Find());
    EXPECT_EQ(5, tries);
    stopRequested = false;
}

TEST(WindowScanReporter, TextAndCountAreTakenOnceEachChange)
{
    WindowScanReporter reporter(stopRequested, someWindow(), [](HWND, UINT, WPARAM, LPARAM) -> BOOL { return TRUE; });
    std::string text;
    unsigned long count = 0;
    EXPECT_FALSE(reporter.takeText(text));
    EXPECT_FALSE(reporter.takeCount(count));
    reporter.currentText("C:\\a");
    reporter.currentText("C:\\b");
    reporter.itemsScanned(41);
    reporter.itemsScanned(42);
    EXPECT_TRUE(reporter.takeText(text));
    EXPECT_EQ("C:\\b", text);
    EXPECT_FALSE(reporter.takeText(text));
    EXPECT_TRUE(reporter.takeCount(count));
    EXPECT_EQ(42u, count);
    EXPECT_FALSE(reporter.takeCount(count));
    reporter.currentText("x");
    reporter.reset(someWindow());
    EXPECT_FALSE(reporter.takeText(text));
}
