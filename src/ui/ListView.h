// Report-view list control of a dialog: columns from a table, rows set from data.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "ui/Handles.h"

// One column: language key of the header text, width in pixels (0 hides it), LVCFMT_* alignment.
struct ListColumn {
    const char* key;
    int width;
    int format;
};

// One row as data: a text per column, an image of the small image list (I_IMAGENONE: none;
// I_IMAGECALLBACK: the parent names it on LVN_GETDISPINFO when the row is drawn) and a value
// of the caller's that identifies the row across refreshes (a process id, an index into the
// caller's table; 0 means none).
struct ListRow {
    std::vector<std::string> cells;
    int image = I_IMAGENONE;
    LPARAM data = 0;
};

// The extended styles of every tool window's list: grid lines, whole-row selection, flat scroll bars.
constexpr DWORD kToolListStyles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB;

class ListView {
public:
    ListView() = default;
    ListView(const ListView&) = delete;
    ListView& operator=(const ListView&) = delete;

    // The dialog's list-view control; the object does not own it.
    void Attach(HWND list) { list_ = list; }
    HWND Handle() const { return list_; }

    // Extended styles (LVS_EX_*), then the columns in table order.
    void SetUp(DWORD extendedStyles, const ListColumn* columns, size_t count);
    template <size_t N>
    void SetUp(DWORD extendedStyles, const ListColumn (&columns)[N]) { SetUp(extendedStyles, columns, N); }

    // Sets up `list` as every tool window's list: attached, kToolListStyles, `columns`, and a
    // small-icon list with room for 9 icons, which this object owns and returns.
    HIMAGELIST SetUpToolList(HWND list, const ListColumn* columns, size_t count);
    template <size_t N>
    HIMAGELIST SetUpToolList(HWND list, const ListColumn (&columns)[N]) { return SetUpToolList(list, columns, N); }

    // Makes and attaches a 16x16 small-icon list that this object owns (ILC_COLOR32 | ILC_MASK).
    HIMAGELIST CreateSmallImages(int initial, int grow);
    HIMAGELIST SmallImages() const { return images_.get(); }
    // Appends an icon (the caller keeps its handle); returns its index, -1 on failure.
    int AddIcon(HICON icon);
    void ClearImages();

    // Replaces the rows, rewriting existing items in place (no flicker, the scroll position
    // stays). The focus and the selection follow their row by its `data`: to the row's new
    // place when it is still there, else they are cleared, so an action on "the focused row"
    // never falls on a row the user did not choose.
    void SetRows(const std::vector<ListRow>& rows);
    void Clear();

    int Count() const;
    std::string Text(int row, int column) const;
    LPARAM Data(int row) const;
    // First row from the top with the focus state (LVIS_FOCUSED), -1 when none.
    int FocusedRow() const;
    // First selected row, -1 when none.
    int SelectedRow() const;
    // Focuses and selects `row` and scrolls it into view (-1 clears both).
    void Select(int row);
    int TopRow() const;

private:
    void WriteRow(int index, const ListRow& row, bool insert);
    void SetState(int row, UINT state, UINT mask);
    static int IndexOfData(const std::vector<ListRow>& rows, LPARAM data);

    HWND list_ = nullptr;
    UniqueImageList images_;
    size_t columns_ = 0;
};
