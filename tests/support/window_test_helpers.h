// Helpers of the window-level tests: files and settings in the throw-away
// prefix, a helper thread that acts on a modal dialog while the test thread
// runs it, and a recorder of the texts a control is given.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kestrune {
namespace test {

// The folder of the running test program, with its trailing backslash.
std::string testProgramFolder();

// Writes `markup` scrambled as a reference file at `path`; true on success.
bool writeReferenceFile(const std::string& path, const std::string& markup);
// Markup of a reference file with `count` parasites named "P1", "P2", ...
std::string markupWithParasites(int count);
bool fileExists(const std::string& path);

// Deletes the settings key and the Run entry, so each test starts clean.
void clearSettings();
// clearSettings, then creates the empty settings key (values can be written).
void freshSettings();

// Waits up to `timeoutMs` for a visible top-level window of this process
// titled `title` ("" for any) that has a child `childId` (0 for any).
HWND waitForWindow(const std::string& title, int childId, DWORD timeoutMs = 10000);

// Runs `actions` on a helper thread while the calling thread runs `modal`
// (which shows a modal window); joins the helper afterwards. The helper acts
// through SendMessage/PostMessage, which the modal loop dispatches.
void whileModal(const std::function<void()>& modal, const std::function<void()>& actions);

// Clicks a button of a dialog from another thread and returns once the
// dialog has handled it (an auto check box toggles itself; other buttons send
// BN_CLICKED to the dialog).
void clickButton(HWND dialog, int id);

// Records, in order, every text set on controls with id `controlId` of this
// thread's windows while it lives (a WH_CALLWNDPROC hook).
class TextRecorder {
public:
    explicit TextRecorder(int controlId);
    ~TextRecorder();
    TextRecorder(const TextRecorder&) = delete;
    TextRecorder& operator=(const TextRecorder&) = delete;
    const std::vector<std::string>& texts() const { return texts_; }
    const std::vector<DWORD>& times() const { return times_; }

private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
    static TextRecorder* current_;
    int controlId_;
    HHOOK hook_;
    std::vector<std::string> texts_;
    std::vector<DWORD> times_;
};

// Registers the common controls (the list view of the main window).
void initCommonControls();

}  // namespace test
}  // namespace kestrune
