// File > "Save Report...": the standard Save As dialog, proposing
// "Scan D-M-YYYY (h-m-s).txt" in the log folder, and the report written
// there. Window thread only.
#pragma once

#include "platform/message_boxes.h"
#include "scan/scan_report.h"

#include <windows.h>

#include <string>

namespace kestrune {

extern const char kReportNotWrittenText[];

// GetSaveFileNameA over `owner` in `folder` with `name` proposed (".txt"
// added to a name typed without an extension; an existing file is replaced
// only after the dialog's question). Empty when cancelled.
std::string pickReportPath(HWND owner, const std::string& folder, const std::string& name);

// Asks for the path and writes `report`; a failed write is told in a plain
// message box. False when cancelled or not written.
bool saveScanReport(HWND owner, MessageBoxes& boxes, const ScanReport& report);

}  // namespace kestrune
