// The list-view helper on a real report-view control.
#include "ui/Dpi.h"
#include "ui/ListView.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "ui/ControlTestHost.h"
#include "ui/UiText.h"

namespace {
bool StartsWithDigit(const std::string& s) { return !s.empty() && std::isdigit(static_cast<unsigned char>(s[0])); }

int CompareNoCase(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i])), cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The leading number of a text ("12.35 MB" -> 12.35) as its whole and fraction digits.
struct Number {
    std::string whole, fraction;
};
Number LeadingNumber(const std::string& s) {
    Number n;
    size_t i = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    n.whole = s.substr(0, i);
    n.whole.erase(0, std::min(n.whole.find_first_not_of('0'), n.whole.size()));
    if (i + 1 < s.size() && s[i] == '.' && std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
        size_t j = i + 1;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        n.fraction = s.substr(i + 1, j - i - 1);
        n.fraction.erase(n.fraction.find_last_not_of('0') + 1);
    }
    return n;
}

int CompareNumbers(const Number& x, const Number& y) {
    if (x.whole.size() != y.whole.size()) return x.whole.size() < y.whole.size() ? -1 : 1;
    if (int c = x.whole.compare(y.whole)) return c < 0 ? -1 : 1;
    if (int c = x.fraction.compare(y.fraction)) return c < 0 ? -1 : 1;
    return 0;
}

int CompareCells(const std::string& a, const std::string& b) {
    if (StartsWithDigit(a) && StartsWithDigit(b))
        if (int c = CompareNumbers(LeadingNumber(a), LeadingNumber(b))) return c;
    return CompareNoCase(a, b);
}

// Orders `rows` by the text of `column` (case-insensitive; as numbers when both texts start
// with a digit), stable, ascending or descending. The program's lists do not sort (their
// headers are not buttons that sort): only this test uses it.
void SortRows(std::vector<ListRow>& rows, int column, bool ascending) {
    if (column < 0) return;
    auto cell = [column](const ListRow& r) -> const std::string& {
        static const std::string empty;
        return static_cast<size_t>(column) < r.cells.size() ? r.cells[column] : empty;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const ListRow& a, const ListRow& b) {
        int c = CompareCells(cell(a), cell(b));
        return ascending ? c < 0 : c > 0;
    });
}

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

std::vector<std::string> Column(const std::vector<ListRow>& rows, int column) {
    std::vector<std::string> texts;
    for (const ListRow& r : rows) texts.push_back(r.cells[column]);
    return texts;
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

TEST(SortRows, NumbersByValueTextsWithoutCaseAndTiesInTheirOrder) {
    std::vector<ListRow> rows = {
        {{"beta", "10"}}, {{"Alpha", "9"}}, {{"alpha", "100"}}, {{"gamma", "9"}}, {{"Beta", "x"}},
    };
    SortRows(rows, 1, true);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"Alpha", "gamma", "beta", "alpha", "Beta"}));
    SortRows(rows, 0, true);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"Alpha", "alpha", "beta", "Beta", "gamma"}));
    SortRows(rows, 0, false);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"gamma", "beta", "Beta", "Alpha", "alpha"}));
    SortRows(rows, 5, true);  // a column no row has: order kept
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"gamma", "beta", "Beta", "Alpha", "alpha"}));
    // Numbers with fractions and leading zeros, as the working-set column shows them.
    std::vector<ListRow> sizes = {{{"12.35 MB"}}, {{"2.50  MB"}}, {{"012.3 MB"}}, {{"12.350 MB"}}, {{"100 MB"}}};
    SortRows(sizes, 0, true);
    EXPECT_EQ(Column(sizes, 0), (std::vector<std::string>{"2.50  MB", "012.3 MB", "12.35 MB", "12.350 MB", "100 MB"}));
    SortRows(rows, 5, true);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"gamma", "beta", "Beta", "Alpha", "alpha"}));
}

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
