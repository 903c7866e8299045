// Saving the scan report through the Save As dialog.
#include "app/report_saving.h"

#include "platform/message_boxes.h"
#include "settings/settings_store.h"

#include <commdlg.h>

#include <vector>

namespace kestrune {

const char kReportNotWrittenText[] = "The scan report could not be written.";

namespace {

// OPENFILENAMEA's filter: pairs of zero-terminated texts, ended by an empty one.
const char kFilter[] = "Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";

}  // namespace

std::string pickReportPath(HWND owner, const std::string& folder, const std::string& name)
{
    std::vector<char> file(MAX_PATH * 4, '\0');
    name.copy(file.data(), file.size() - 1);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = "txt";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&dialog))
        return std::string();
    return file.data();
}

bool saveScanReport(HWND owner, MessageBoxes& boxes, const ScanReport& report)
{
    const std::string path = pickReportPath(owner, logFolder(), scanReportName());
    if (path.empty())
        return false;
    if (writeScanReport(path, report))
        return true;
    boxes.show(owner, kReportNotWrittenText, applicationTitle(), MB_OK);
    return false;
}

}  // namespace kestrune
