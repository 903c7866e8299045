// ReportList: extended styles, columns, header images, cell colours and the
// check-box column's header click.
#include "ui/report_list.h"

namespace kestrune {

void ReportList::addExtendedStyle(DWORD style)
{
    DWORD current = static_cast<DWORD>(SendMessageA(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, current | style);
}

bool ReportList::setHeaderImages(HINSTANCE instance, int bitmapId, int imageWidth, int grow,
                                 COLORREF transparent)
{
    headerImages_.reset(ImageList_LoadBitmap(instance, MAKEINTRESOURCEA(bitmapId), imageWidth,
                                             grow, transparent));
    if (!headerImages_.valid())
        return false;
    HWND header = ListView_GetHeader(list_);
    SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(headerImages_.get()));
    return true;
}

void ReportList::setHeaderImage(int column, int image)
{
    HWND header = ListView_GetHeader(list_);
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    if (!SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item)))
        return;
    item.mask = HDI_FORMAT | HDI_IMAGE;
    if (image < 0) {
        item.fmt &= ~HDF_IMAGE;
        item.iImage = 0;
    } else {
        item.fmt |= HDF_IMAGE;
        item.iImage = image;
    }
    SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
}

int ReportList::headerImage(int column) const
{
    HWND header = ListView_GetHeader(list_);
    HDITEMA item = {};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    if (!SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return (item.fmt & HDF_IMAGE) != 0 ? item.iImage : -1;
}

int ReportList::insertColumn(int column, const std::string& text, int width)
{
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.fmt = LVCFMT_LEFT;
    lvc.cx = width;
    lvc.pszText = const_cast<char*>(text.c_str());
    lvc.iSubItem = column;
    return static_cast<int>(
        SendMessageA(list_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&lvc)));
}

COLORREF ReportList::cellTextColour(int row, int column) const
{
    CellColours colours;
    return cellColours(row, column, colours) ? colours.text : kDefaultText;
}

LRESULT ReportList::onCustomDraw(NMLVCUSTOMDRAW& draw) const
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        CellColours colours;
        if (!cellColours(static_cast<int>(draw.nmcd.dwItemSpec), draw.iSubItem, colours))
            colours = CellColours{kDefaultText, kDefaultBack};
        draw.clrText = colours.text;
        draw.clrTextBk = colours.back;
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void ReportList::onColumnClick(const NMLISTVIEW& click)
{
    if (click.iSubItem != 0 || rowCount() == 0)
        return;
    setAllChecked(!allChecked());
}

void ReportList::showHeaderCheckImage(bool allChecked)
{
    if (!headerImages_.valid())
        return;
    int wanted = allChecked ? kHeaderImageAllChecked : kHeaderImageNotAllChecked;
    if (headerImage(0) != wanted)
        setHeaderImage(0, wanted);
}

}  // namespace kestrune
