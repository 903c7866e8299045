// The result list of the main window: one checked row per find, with the
// columns "Parasite", "Location", "Type" and "Danger"; which category counter
// a row adds to; the find behind every row. Window thread only.
//
// Each row keeps its Find (parasite index, kind, item index, location) beside
// the row of the check-box list, whose item datum is the parasite index. Rows
// are never reordered, and every change to the rows goes through ResultList
// (clear() and removeRows() included), so row n always stands for the n-th
// find kept. The rows live in the program (OwnerDataCheckList): adding,
// checking and unchecking a row cost the same with ten thousand rows as with
// ten.
#pragma once

#include "definitions/parasite.h"
#include "platform/find.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

class OwnerDataCheckList;

// The category counter a row of a kind adds to: Registry for keys and
// values, Cookies, Files; a Folder row counts nowhere. There is no Memory
// row: that counter stays "0" once a scan has started.
enum class Counter { None, Registry, Cookies, Files };
Counter counterOf(ItemKind kind);

// Width of column `column` (0 to 3) of a list `windowWidth` pixels wide:
// (W - 2) * 15/64, 25/64, 10/64, and for column 3 what is left minus 2.
int resultColumnWidth(int windowWidth, int column);

// Looks of the rows.
constexpr COLORREF kRowTextColour = RGB(128, 128, 128);
constexpr COLORREF kDangerTextColour = RGB(255, 0, 0);
constexpr COLORREF kRowBackColour = RGB(255, 255, 255);

class ResultList {
public:
    explicit ResultList(OwnerDataCheckList& view) : view_(view) {}
    ResultList(const ResultList&) = delete;
    ResultList& operator=(const ResultList&) = delete;

    // Sets up the list: font, styles, tool tips, colours, the four columns and
    // the header images (IDB_HEADER_IMAGES of `instance`; none when it is
    // missing).
    // Run once, when the list control exists. `font` stays the caller's.
    void setUp(HINSTANCE instance, HFONT font);

    // Removes every row and its find.
    void clear();

    // Appends the row of one find of `parasite`: checked; name, location and
    // type word grey on white, danger name red on white; item datum the
    // parasite index. Returns the row's index.
    int addRow(const Parasite& parasite, const Find& find);

    // While many rows come in, the list control learns of them in batches:
    // holdDrawing() keeps new rows from it until releaseDrawing(), which
    // shows them all at once; both may be called at any time.
    void holdDrawing();
    void releaseDrawing();

    // The selected rows, ascending.
    std::vector<int> selectedRows() const;
    // Removes the rows named (ascending; repeats and rows out of range are
    // passed over) with their finds and check marks, in one pass.
    void removeRows(const std::vector<int>& rows);

    int rowCount() const { return static_cast<int>(finds_.size()); }
    // The find behind `row`; nullptr when out of range.
    const Find* rowFind(int row) const;
    bool rowChecked(int row) const;
    // The finds behind the checked rows, in row order.
    std::vector<Find> checkedFinds() const;

private:
    OwnerDataCheckList& view_;
    std::vector<Find> finds_;
};

}  // namespace kestrune
