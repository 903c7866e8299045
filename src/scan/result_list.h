// The result list of the main window: one checked row per find, with the
// columns "Parasite", "Location", "Type" and "Danger", the four category
// counters, the danger names, and the find behind every row. Window thread
// only.
//
// Each row keeps its Find (parasite index, kind, item index, location) beside
// the list control's own data; the list view's item datum is the parasite
// index. Rows are never reordered, and every change to the rows goes through
// ResultList (clear() included), so row n always stands for finds()[n].
#pragma once

#include "definitions/parasite.h"
#include "scan/find.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

class CheckListView;

// The four category counters as the decimal texts the window shows. Empty
// until the first scan starts; reset() sets all four to "0".
struct ScanCounters {
    std::string memory;
    std::string registry;
    std::string cookies;
    std::string files;
    void reset();
};

// Adds one to the counter that a row of `kind` counts in: Registry for keys
// and values, Cookies, Files. A counter's value is its leading decimal number
// (0 when there is none). Returns false, changing nothing, for a Folder row,
// which counts nowhere and needs no refresh of the counters.
bool countFind(FindKind kind, ScanCounters& counters);

// Width of column `column` (0 to 3) of a list `windowWidth` pixels wide:
// (W - 2) * 15/64, 25/64, 10/64, and for column 3 the rest minus 2.
int resultColumnWidth(int windowWidth, int column);

class ResultList {
public:
    explicit ResultList(CheckListView& view) : view_(view) {}
    ResultList(const ResultList&) = delete;
    ResultList& operator=(const ResultList&) = delete;

    // Fonts, colours, styles, the four columns and the header images. Run
    // once, when the list control exists. `font` stays the caller's.
    void setUp(HINSTANCE instance, HFONT font);

    // Removes every row and its find.
    void clear();

    // Appends the row of one find of `parasite`: checked, name, location and
    // type word grey on white, danger name red on white; drawing frozen while
    // it is built. Returns the row's index, or -1 when the row could not be
    // inserted (the find is then not kept).
    int addRow(const Parasite& parasite, const Find& find);

    int rowCount() const { return static_cast<int>(finds_.size()); }
    // The find behind `row`; nullptr when out of range.
    const Find* rowFind(int row) const;
    bool rowChecked(int row) const;
    // The finds behind the checked rows, in row order.
    std::vector<Find> checkedFinds() const;

    // After the window's layout: column 2 takes the list's client width
    // minus 254 pixels.
    void fitTypeColumn();

private:
    CheckListView& view_;
    std::vector<Find> finds_;
};

}  // namespace kestrune
