// Plain report-view list controls (no check boxes, no colours): adding a
// column and setting a cell's text, as the dialogs that list archives and
// ignored items fill theirs.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

void addListColumn(HWND list, int column, const char* text, int width);
void setListCell(HWND list, int row, int column, const std::string& text);

}  // namespace kestrune
