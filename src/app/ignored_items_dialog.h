// IgnoredItemsDialog (IDD_IGNORED_ITEMS), opened from Preferences: the
// entries of the ignore list (kind, location, parasite, date added) and
// "Remove from list", which takes the selected entries off the list at once,
// so the next scan reports those finds again. Window thread only.
#pragma once

#include "settings/ignore_list.h"
#include "ui/dialog.h"

#include <windows.h>

#include <vector>

namespace kestrune {

class IgnoredItemsDialog : public Dialog {
public:
    IgnoredItemsDialog() = default;

    // Shows the dialog modally over `owner`; returns IDCANCEL once closed, or
    // -1 when it could not be shown.
    INT_PTR run(HWND owner);

private:
    INT_PTR onInitDialog(HWND dialog) override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void fill();
    void onRemove();

    HWND list_ = nullptr;
    std::vector<IgnoreEntry> entries_;   // row n shows entries_[n]
};

}  // namespace kestrune
