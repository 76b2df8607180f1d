#include "ui/ListView.h"

#include <algorithm>

#include "ui/Dpi.h"
#include "ui/UiText.h"

void ListView::SetUp(DWORD extendedStyles, const ListColumn* columns, size_t count) {
    if (!list_) return;
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyles, extendedStyles);
    // The widths are for 96 DPI; the list's font grows with the scaling, so must they.
    int dpi = WindowDpi(list_);
    for (size_t i = 0; i < count; ++i) {
        std::string text = UiText(columns[i].key);
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = columns[i].format;
        column.cx = ScaleToDpi(columns[i].width, dpi);
        column.pszText = &text[0];
        column.iSubItem = static_cast<int>(i);
        SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    columns_ = count;
}

HIMAGELIST ListView::SetUpToolList(HWND list, const ListColumn* columns, size_t count) {
    Attach(list);
    HIMAGELIST images = CreateSmallImages(9, 0);
    SetUp(kToolListStyles, columns, count);
    return images;
}

HIMAGELIST ListView::CreateSmallImages(int initial, int grow) {
    // The shell's small-icon size at the list's DPI: 16 pixels at 96.
    const int side = SmallIconSize(list_ ? WindowDpi(list_) : kBaseDpi);
    images_.reset(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, initial, grow));
    // The control must not destroy a list this object owns.
    if (list_) {
        LONG_PTR style = GetWindowLongPtrA(list_, GWL_STYLE);
        SetWindowLongPtrA(list_, GWL_STYLE, style | LVS_SHAREIMAGELISTS);
        SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
    }
    return images_.get();
}

int ListView::AddIcon(HICON icon) {
    if (!images_ || !icon) return -1;
    return ImageList_ReplaceIcon(images_.get(), -1, icon);
}

void ListView::ClearImages() {
    if (images_) ImageList_RemoveAll(images_.get());
}

void ListView::WriteRow(int index, const ListRow& row, bool insert) {
    std::string first = row.cells.empty() ? std::string() : row.cells[0];
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = &first[0];
    item.iImage = row.image;
    item.lParam = row.data;
    SendMessageA(list_, insert ? LVM_INSERTITEMA : LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    size_t cells = std::max(columns_, row.cells.size());
    for (size_t c = 1; c < cells; ++c) {
        std::string text = c < row.cells.size() ? row.cells[c] : std::string();
        LVITEMA sub{};
        sub.iSubItem = static_cast<int>(c);
        sub.pszText = &text[0];
        SendMessageA(list_, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
    }
}

void ListView::SetState(int row, UINT state, UINT mask) {
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int ListView::IndexOfData(const std::vector<ListRow>& rows, LPARAM data) {
    if (data == 0) return -1;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].data == data) return static_cast<int>(i);
    return -1;
}

void ListView::SetRows(const std::vector<ListRow>& rows) {
    if (!list_) return;
    int focused = FocusedRow(), selected = SelectedRow();
    LPARAM focusedData = focused >= 0 ? Data(focused) : 0;
    LPARAM selectedData = selected >= 0 ? Data(selected) : 0;
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    int have = Count();
    int want = static_cast<int>(rows.size());
    for (int i = have - 1; i >= want; --i) SendMessageA(list_, LVM_DELETEITEM, i, 0);
    for (int i = 0; i < want; ++i) WriteRow(i, rows[i], i >= have);
    SetState(-1, 0, LVIS_FOCUSED | LVIS_SELECTED);
    int focusTo = IndexOfData(rows, focusedData), selectTo = IndexOfData(rows, selectedData);
    if (focusTo >= 0) SetState(focusTo, LVIS_FOCUSED, LVIS_FOCUSED);
    if (selectTo >= 0) SetState(selectTo, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void ListView::Clear() {
    if (list_) SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
}

int ListView::Count() const { return list_ ? static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)) : 0; }

std::string ListView::Text(int row, int column) const {
    if (!list_ || row < 0) return std::string();
    // LVM_GETITEMTEXT reports the copied length, so grow until the text fits.
    for (int size = 256; size <= 65536; size *= 4) {
        std::string text(static_cast<size_t>(size), '\0');
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = &text[0];
        item.cchTextMax = size;
        int got = static_cast<int>(SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (got < size - 1) {
            text.resize(static_cast<size_t>(got));
            return text;
        }
    }
    return std::string();
}

LPARAM ListView::Data(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!list_ || !SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

int ListView::FocusedRow() const {
    for (int i = 0, n = Count(); i < n; ++i)
        if (SendMessageA(list_, LVM_GETITEMSTATE, i, LVIS_FOCUSED) & LVIS_FOCUSED) return i;
    return -1;
}

int ListView::SelectedRow() const {
    return list_ ? static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
                 : -1;
}

void ListView::Select(int row) {
    if (!list_) return;
    SetState(-1, 0, LVIS_FOCUSED | LVIS_SELECTED);
    if (row < 0 || row >= Count()) return;
    SetState(row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    SendMessageA(list_, LVM_ENSUREVISIBLE, row, FALSE);
}

int ListView::TopRow() const { return list_ ? static_cast<int>(SendMessageA(list_, LVM_GETTOPINDEX, 0, 0)) : 0; }
