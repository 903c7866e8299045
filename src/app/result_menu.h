// ResultMenu: the result list's context menu (IDR_RESULT_MENU), opened by a
// right click or the menu key / Shift+F10, and its three commands on the
// selected rows: "Ignore this item" (every selected row goes onto the ignore
// list and out of the list, with its find and its count), "Open containing
// folder" (a file or folder row: Explorer with the item selected) and "Copy
// location" (the locations, one a line, as CF_TEXT). Window thread only.
#pragma once

#include "app/scan_commands.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

class ResultMenu {
public:
    explicit ResultMenu(ScanCommands& scan) : scan_(scan) {}
    ResultMenu(const ResultMenu&) = delete;
    ResultMenu& operator=(const ResultMenu&) = delete;

    // WM_CONTEXTMENU from the list: the menu at `position` (screen
    // coordinates), or below the first selected row when the keyboard asked
    // (-1, -1). "Ignore this item" is enabled only when `mayIgnore` (no scan,
    // backup or removal runs) and a row is selected. The chosen command comes
    // back to `window` as WM_COMMAND.
    void show(HWND window, HWND list, LPARAM position, bool mayIgnore);

    // ID_RESULT_IGNORE, ID_RESULT_OPEN_FOLDER, ID_RESULT_COPY_LOCATION; false
    // for any other id. Each checks again what the menu checked, since the
    // command may come from elsewhere.
    bool onCommand(HWND window, int id, bool mayIgnore);

    // Puts every selected row on the ignore list and removes the rows whose
    // entry was stored (or was there already); returns how many went.
    int ignoreSelectedRows();

private:
    std::vector<int> selectedRows() const;
    // The location of the first selected row when it is a file or folder.
    bool selectedPath(std::string& path) const;

    ScanCommands& scan_;
};

// The text "Copy location" puts on the clipboard: the locations, joined with
// CR LF.
std::string locationsText(const std::vector<std::string>& locations);

}  // namespace kestrune
