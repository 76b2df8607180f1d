// The list-view helper on a real report-view control.
#include "ui/Dpi.h"
#include "ui/ListView.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui/ControlTestHost.h"
#include "ui/UiText.h"

namespace {
std::string Header(const char* key) { return std::string("<") + key + ">"; }

const ListColumn kColumns[] = {
    {"NAME", 120, LVCFMT_LEFT},
    {"ID", 0, LVCFMT_CENTER},
    {"SIZE", 80, LVCFMT_RIGHT},
};

std::vector<ListRow> Rows(int count, const char* tag) {
    std::vector<ListRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({{std::string(tag) + std::to_string(i), std::to_string(i), std::to_string(i * 10) + " MB"},
                        i % 2,
                        static_cast<LPARAM>(1000 + i)});
    return rows;
}

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        SetUiTextSource(&Header);
        list_.Attach(host_.AddChild(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, {0, 0, 300, 120},
                                    1055));
        ASSERT_NE(list_.Handle(), nullptr);
        list_.SetUp(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, kColumns);
    }
    void TearDown() override { SetUiTextSource(nullptr); }
    testhost::Host host_{320, 140};
    ListView list_;
};
}  // namespace

TEST_F(ListViewTest, ColumnsFromTheTableWithTranslatedHeaders) {
    char text[64];
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    ASSERT_TRUE(SendMessageA(list_.Handle(), LVM_GETCOLUMNA, 2, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(text, "<SIZE>");
    EXPECT_EQ(column.cx, MulDiv(80, WindowDpi(list_.Handle()), 96));  // the table's width is for 96 DPI
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    EXPECT_EQ(SendMessageA(list_.Handle(), LVM_GETCOLUMNWIDTH, 1, 0), 0);
    DWORD ex = static_cast<DWORD>(SendMessageA(list_.Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(ex & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES));
}

TEST_F(ListViewTest, FocusAndSelectionFollowTheirRowAcrossARefresh) {
    list_.SetRows(Rows(50, "first "));
    ASSERT_EQ(list_.Count(), 50);
    EXPECT_EQ(list_.FocusedRow(), -1);
    list_.Select(30);
    int top = list_.TopRow();
    EXPECT_GT(top, 0);
    // New texts, same rows: the states and the scroll position stay.
    std::vector<ListRow> next = Rows(50, "second ");
    next[30].cells[2] = std::string(600, 'w');  // longer than any fixed buffer
    list_.SetRows(next);
    EXPECT_EQ(list_.FocusedRow(), 30);
    EXPECT_EQ(list_.SelectedRow(), 30);
    EXPECT_EQ(list_.TopRow(), top);
    EXPECT_EQ(list_.Text(30, 0), "second 30");
    EXPECT_EQ(list_.Text(30, 2), std::string(600, 'w'));
    // Five rows above it go: the chosen row moves up with its data.
    list_.SetRows(std::vector<ListRow>(next.begin() + 5, next.end()));
    EXPECT_EQ(list_.Count(), 45);
    EXPECT_EQ(list_.FocusedRow(), 25);
    EXPECT_EQ(list_.SelectedRow(), 25);
    EXPECT_EQ(list_.Data(25), 1030);
    // The chosen row itself goes: nothing is chosen, not some neighbour.
    list_.SetRows(Rows(10, "third "));
    EXPECT_EQ(list_.Count(), 10);
    EXPECT_EQ(list_.FocusedRow(), -1);
    EXPECT_EQ(list_.SelectedRow(), -1);
    EXPECT_EQ(list_.Text(9, 0), "third 9");
    EXPECT_EQ(list_.Text(10, 0), "");
}

TEST_F(ListViewTest, TheImageListIsOwnedByTheHelperNotTheControl) {
    HIMAGELIST images = list_.CreateSmallImages(9, 0);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(list_.Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)), images);
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    EXPECT_EQ(list_.AddIcon(icon), 0);
    EXPECT_EQ(list_.AddIcon(icon), 1);
    list_.SetRows(Rows(3, "row "));
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 1;
    ASSERT_TRUE(SendMessageA(list_.Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, 1);
    // The control going first leaves the list whole for its owner to free.
    DestroyWindow(list_.Handle());
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    list_.ClearImages();
    EXPECT_EQ(ImageList_GetImageCount(images), 0);
}
