// What a removal run tells its owner: the outcome of every selected item, the
// programs it stopped on the way and the protected places it left alone. The
// removal actions know no window; the main window, the console tool and the
// tests implement RemovalReport, the window with its message pump as the
// run's Responsiveness.
#pragma once

#include "platform/find.h"
#include "removal/responsiveness.h"

#include <string>

namespace kestrune {

enum class RemovalResult {
    Deleted,     // gone now (also when it was already gone before)
    Scheduled,   // in use: the system deletes it at the next restart
    Failed,      // still there, and nothing will remove it later
    Refused,     // not touched: see RemovalOutcome::protectedPlace
    Gone,        // no longer there when the run began: not touched, not logged
};

// One selected item after its removal action.
struct RemovalOutcome {
    ItemKind kind = ItemKind::File;
    RemovalResult result = RemovalResult::Failed;
    int parasiteIndex = -1;
    int itemIndex = -1;
    // Files and folders: the item's `name` and `path`. Registry items:
    // `path` holds main\sub\value. Cookies: `name` is the item's name as
    // defined and `path` is empty.
    std::string name;
    std::string path;
    // Refused items only. True when the item names a protected place, is
    // reached through a registry link, or holds a refused PATH or NAME text:
    // it is logged as FAILED TO DELETE, since it may well be there still.
    // False when it names no place at all (a hive that is not one of the
    // five, a key item without a key name): such an item leaves no record.
    bool protectedPlace = false;
    // Refused folders and keys only: the location of an ignored find that
    // removing the item would take with it (see RemovalRun::ignored). Such an
    // item is logged as FAILED TO DELETE; it is no protected place.
    std::string ignoredInside;
};

// A program step of the file removal: a running program that was ended, an
// unregistering run of regsvr32.exe, or a program or component file that was
// neither ended nor unregistered because of what it is (Spared; see
// ProgramStopper): the removal of the item goes on and deletes its name only.
struct ProgramStep {
    enum Kind { Terminated, Unregistered, UnregisterFailed, Spared } kind = Terminated;
    std::string path;     // the program or module
    std::string reason;   // Spared only: why
};

class RemovalReport : public Responsiveness {
public:
    // Called once per selected item, in removal order, after its log record
    // has been written.
    virtual void outcome(const RemovalOutcome& outcome) = 0;
    virtual void programStep(const ProgramStep& step) {}
    // A protected file or folder met inside a folder that is being removed,
    // or a running program whose image is protected: it was left as it is.
    virtual void placeKept(const std::string& path) {}
};

// Counts of one run's outcomes.
struct RemovalTotals {
    int deleted = 0;
    int scheduled = 0;
    int failed = 0;
    int refused = 0;       // not touched, protected places included
    int gone = 0;          // already gone when the run began
    int logFailures = 0;   // records that could not be written to the log

    // True when every selected item is gone now.
    bool allRemoved() const { return scheduled == 0 && failed == 0 && refused == 0; }
    // True when something selected is still there and will stay there.
    bool somethingLeft() const { return failed > 0 || refused > 0; }
};

}  // namespace kestrune
