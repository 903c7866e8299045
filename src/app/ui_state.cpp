// The state table of the main window.
#include "app/ui_state.h"

#include "resource.h"

namespace kestrune {

namespace {

const int kCommandButtons[] = {IDC_SCAN, IDC_SCAN_FOLDER, IDC_DELETE, IDC_UPDATE};
const int kListControls[] = {IDC_RESULT_LIST, IDC_STATUS_LINE, IDC_STOP_SCAN};

}  // namespace

UiStateEffect uiStateEffect(UiState state)
{
    switch (state) {
    case UiState::Idle:
        return {Effect::On, Effect::On, UiState::Idle, nullptr};
    case UiState::Downloading:
        return {Effect::Off, Effect::Off, UiState::Downloading, nullptr};
    case UiState::Scanning:
        return {Effect::Off, Effect::On, UiState::Scanning, nullptr};
    case UiState::Removing:
        return {Effect::Off, Effect::On, UiState::Removing, "Deleting Infected Files ......"};
    case UiState::BackingUp:
        return {Effect::Off, Effect::On, UiState::BackingUp, nullptr};
    case UiState::CheckingReferenceFile:
        return {Effect::Off, Effect::Off, UiState::CheckingReferenceFile, nullptr};
    case UiState::ScanFinished:
        return {Effect::On, Effect::On, UiState::Idle, nullptr};
    case UiState::InPreferences:
        return {Effect::Unchanged, Effect::Unchanged, UiState::InPreferences, nullptr};
    default:
        return {Effect::Unchanged, Effect::Unchanged, state, nullptr};
    }
}

UiState applyUiState(HWND dialog, UiState state)
{
    UiStateEffect effect = uiStateEffect(state);
    if (effect.buttonsEnabled != Effect::Unchanged)
        for (int id : kCommandButtons)
            EnableWindow(GetDlgItem(dialog, id), effect.buttonsEnabled == Effect::On);
    if (effect.listShown != Effect::Unchanged)
        for (int id : kListControls)
            ShowWindow(GetDlgItem(dialog, id), effect.listShown == Effect::On ? SW_SHOW : SW_HIDE);
    if (effect.statusText != nullptr)
        SetDlgItemTextA(dialog, IDC_STATUS_LINE, effect.statusText);
    return effect.storedState;
}

}  // namespace kestrune
