// The Ignored items dialog.
#include "app/ignored_items_dialog.h"

#include "resource.h"

#include <commctrl.h>

#include <string>

namespace kestrune {

namespace {

void addColumn(HWND list, int column, const char* text, int width)
{
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(text);
    col.cx = width;
    ListView_InsertColumn(list, column, &col);
}

void setCell(HWND list, int row, int column, std::string text)
{
    ListView_SetItemText(list, row, column, &text[0]);
}

}  // namespace

INT_PTR IgnoredItemsDialog::run(HWND owner)
{
    return runModal(IDD_IGNORED_ITEMS, owner);
}

INT_PTR IgnoredItemsDialog::onInitDialog(HWND dialog)
{
    dialog_ = dialog;
    list_ = GetDlgItem(dialog, IDC_IGNORED_LIST);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    addColumn(list_, 0, "Type", 60);
    addColumn(list_, 1, "Location", 260);
    addColumn(list_, 2, "Parasite", 90);
    addColumn(list_, 3, "Added", 130);
    fill();
    return TRUE;
}

INT_PTR IgnoredItemsDialog::handleMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_IGNORED_REMOVE:
        onRemove();
        return TRUE;
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog_, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void IgnoredItemsDialog::fill()
{
    entries_ = loadIgnoreEntries();
    ListView_DeleteAllItems(list_);
    for (size_t i = 0; i < entries_.size(); ++i) {
        const int row = static_cast<int>(i);
        std::string type = typeWord(entries_[i].kind);
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = &type[0];
        ListView_InsertItem(list_, &item);
        setCell(list_, row, 1, entries_[i].location);
        setCell(list_, row, 2, entries_[i].parasite);
        setCell(list_, row, 3, entries_[i].added);
    }
    EnableWindow(GetDlgItem(dialog_, IDC_IGNORED_REMOVE), !entries_.empty());
}

void IgnoredItemsDialog::onRemove()
{
    bool removed = false;
    for (int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
         row >= 0 && row < static_cast<int>(entries_.size());
         row = ListView_GetNextItem(list_, row, LVNI_SELECTED))
        removed = removeIgnoreEntries(entries_[row].kind, entries_[row].location) > 0 || removed;
    if (!removed) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    fill();
}

}  // namespace kestrune
