// The Ignored items dialog.
#include "app/ignored_items_dialog.h"

#include "ui/list_view_cells.h"
#include "resource.h"

#include <commctrl.h>

#include <string>

namespace kestrune {

INT_PTR IgnoredItemsDialog::run(HWND owner)
{
    return runModal(IDD_IGNORED_ITEMS, owner);
}

INT_PTR IgnoredItemsDialog::onInitDialog(HWND dialog)
{
    list_ = GetDlgItem(dialog, IDC_IGNORED_LIST);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    addListColumn(list_, 0, "Type", 60);
    addListColumn(list_, 1, "Location", 260);
    addListColumn(list_, 2, "Parasite", 90);
    addListColumn(list_, 3, "Added", 130);
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
        EndDialog(window_, IDCANCEL);
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
        setListCell(list_, row, 1, entries_[i].location);
        setListCell(list_, row, 2, entries_[i].parasite);
        setListCell(list_, row, 3, entries_[i].added);
    }
    EnableWindow(GetDlgItem(window_, IDC_IGNORED_REMOVE), !entries_.empty());
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
