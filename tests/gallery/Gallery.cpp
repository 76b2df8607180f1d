// A window showing each drawn control in a few states.
//   controls_gallery               interactive
//   controls_gallery --screenshot  saves screenshots\controls_gallery.bmp and exits (0 on success)
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "driver/TestDriver.h"
#include "mainwnd/controls/BusyProgressCtrl.h"
#include "mainwnd/controls/DialGauge.h"
#include "mainwnd/controls/LoadHistoryChart.h"
#include "ui/ColorButton.h"
#include "ui/ColorLabel.h"
#include "ui/Dialog.h"
#include "ui/HyperlinkLabel.h"
#include "ui/RoundedFrame.h"

namespace {
const char kTitle[] = "Mnemora controls gallery";
const UINT_PTR kShotTimer = 1;
const UINT_PTR kChartTimer = 2;
const BarColors kMemoryColors{RGB(0, 64, 0), RGB(0, 64, 0), RGB(0, 64, 0), RGB(0, 255, 0), RGB(0, 255, 0)};
const BarColors kRunColors{RGB(85, 85, 85), RGB(85, 85, 85), RGB(85, 85, 85), RGB(19, 238, 255),
                           RGB(19, 238, 255)};

struct Gallery {
    std::vector<std::unique_ptr<BusyProgressCtrl>> bars;
    std::vector<std::unique_ptr<DialGauge>> gauges;
    std::vector<std::unique_ptr<ColorLabel>> labels;
    std::vector<std::unique_ptr<ColorButton>> buttons;
    std::vector<std::unique_ptr<HyperlinkLabel>> links;
    LoadHistoryChart chart;
    ChartSeries* cpu = nullptr;
    int tick = 0;
    bool screenshot = false;
    bool saved = false;
};
Gallery* gGallery = nullptr;

// Sends drawing and colour requests back to the control they concern, as the dialog base does.
bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    HWND child = nullptr;
    if (msg == WM_DRAWITEM) child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) child = reinterpret_cast<HWND>(lp);
    if (!child) return false;
    *result = SendMessageA(child, kReflectBase + msg, wp, lp);
    return *result != 0;
}

LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (Reflect(msg, wp, lp, &r)) return r;
    if (msg == WM_PAINT) {
        PaintRoundedFrame(wnd, WindowDpi(wnd));
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProcA(wnd, msg, wp, lp);
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void AddBar(HWND parent, int y, int position, int maximum, const BarColors* colors) {
    auto bar = std::make_unique<BusyProgressCtrl>(32, 0);
    bar->Attach(Child(parent, "Static", "", 0, 10, y, 250, 14, 1000 + y));
    bar->SetMode(BusyProgressCtrl::kProgressMode);
    bar->SetRange(0, maximum);
    if (colors) bar->SetColors(*colors);
    bar->SetPosition(position);
    gGallery->bars.push_back(std::move(bar));
}

void AddLabel(HWND parent, const char* text, int x, int y, int w, COLORREF color, int height, const char* face,
              COLORREF background = RGB(0, 0, 0)) {
    auto label = std::make_unique<ColorLabel>();
    label->Attach(Child(parent, "Static", "", SS_LEFT, x, y, w, height + 4, 0));
    label->SetBackgroundColor(background);
    label->SetTextColor(color);
    label->SetFontHeight(height);
    label->SetFontFace(face);
    label->SetText(text);
    gGallery->labels.push_back(std::move(label));
}

void AddGauge(HWND parent, int x, double value, bool zones) {
    auto gauge = std::make_unique<DialGauge>();
    gauge->Attach(Child(parent, "Static", "", 0, x, 150, 145, 145, 1152));
    gauge->SetZones(zones);
    gauge->SetValue(value);
    gGallery->gauges.push_back(std::move(gauge));
}

HWND AddButton(HWND parent, const char* text, int y, int id) {
    HWND wnd = Child(parent, "Button", text, BS_OWNERDRAW | WS_TABSTOP, 300, y, 100, 24, id);
    auto button = std::make_unique<ColorButton>();
    button->Attach(wnd);
    for (int slot : {0, 2}) button->SetColor(slot, RGB(85, 85, 85), false);
    button->SetColor(4, RGB(0, 85, 0), false);
    for (int slot : {1, 3}) button->SetColor(slot, RGB(255, 255, 255), false);
    button->SetColor(5, RGB(0, 255, 0), false);
    gGallery->buttons.push_back(std::move(button));
    return wnd;
}

void AddPanel(HWND parent) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "MnemoraGalleryPanel";
    RegisterClassA(&wc);
    HWND panel = Child(parent, "MnemoraGalleryPanel", "", 0, 470, 0, 250, 440, 0);
    AddLabel(panel, "Tool window background", 24, 24, 200, RGB(0, 0, 0), 13, "Tahoma Bold", RGB(255, 255, 255));
    auto link = std::make_unique<HyperlinkLabel>();
    link->Attach(Child(panel, "Static", "www.example.org", SS_LEFT, 24, 60, 200, 16, 1300));
    gGallery->links.push_back(std::move(link));
    auto visited = std::make_unique<HyperlinkLabel>();
    static const HyperlinkOpeners kAlwaysOpens{[](const std::string&) { return 42; },
                                               [](std::string*) { return false; },
                                               [](const std::string&) { return 42; }};
    visited->SetOpeners(kAlwaysOpens);
    visited->Attach(Child(panel, "Static", "visited link", SS_CENTER, 24, 90, 200, 16, 1301));
    visited->Open();
    gGallery->links.push_back(std::move(visited));
}

// A load that wanders like a busy machine's, for the chart.
int SampleLoad(int tick) {
    double v = 35 + 25 * std::sin(tick / 6.0) + 15 * std::sin(tick / 1.7);
    return static_cast<int>(v < 0 ? 0 : v > 100 ? 100 : v);
}

void Build(HWND wnd) {
    AddLabel(wnd, "Memory", 10, 6, 200, RGB(19, 238, 255), 13, "Tahoma Bold");
    AddBar(wnd, 30, 0, 1024, &kMemoryColors);
    AddBar(wnd, 50, 500, 1024, &kMemoryColors);
    AddBar(wnd, 70, 1024, 1024, &kMemoryColors);
    AddBar(wnd, 90, 150, 224, &kRunColors);
    AddBar(wnd, 110, 37, 100, nullptr);
    AddLabel(wnd, "empty", 270, 28, 140, RGB(255, 238, 255), 11, "Tahoma");
    AddLabel(wnd, "500 of 1024: partial segment", 270, 48, 145, RGB(255, 238, 255), 11, "Tahoma");
    AddLabel(wnd, "full", 270, 68, 140, RGB(255, 238, 255), 11, "Tahoma");
    AddLabel(wnd, "run colours 150 of 224", 270, 88, 140, RGB(255, 238, 255), 11, "Tahoma");
    AddLabel(wnd, "default colours", 270, 108, 140, RGB(255, 255, 255), 11, "Tahoma");
    AddLabel(wnd, "Usage", 10, 130, 200, RGB(19, 238, 255), 13, "Tahoma Bold");
    AddGauge(wnd, 10, 42.5, true);
    AddGauge(wnd, 160, 80.0, true);
    AddGauge(wnd, 310, 150.0, false);

    gGallery->cpu = &gGallery->chart.AddSeries("CPU", RGB(255, 249, 100), 1, -5, 100);
    gGallery->chart.Create(WS_VISIBLE, {10, 310, 260, 420}, wnd, 5469);
    gGallery->chart.SetBackground(RGB(0, 0, 0));
    for (int i = 0; i < 60; ++i) {
        gGallery->cpu->AddValue(SampleLoad(i));
        gGallery->chart.Update();
    }
    gGallery->tick = 60;
    AddButton(wnd, "Optimize", 320, 1065);
    AddButton(wnd, "Processes", 350, 1066);
    HWND disabled = AddButton(wnd, "Advanced", 380, 1064);
    EnableWindow(disabled, FALSE);
    AddPanel(wnd);
}

void SaveShot(HWND wnd) {
    std::string path = driver::ScreenshotDir() + "\\controls_gallery.bmp";
    gGallery->saved = driver::SaveScreenshot(path);
    std::printf("%s %s\n", gGallery->saved ? "saved" : "could not save", path.c_str());
    DestroyWindow(wnd);
}

LRESULT CALLBACK GalleryProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (Reflect(msg, wp, lp, &r)) return r;
    switch (msg) {
    case WM_CREATE:
        Build(wnd);
        SetTimer(wnd, kChartTimer, 500, nullptr);
        if (gGallery->screenshot) SetTimer(wnd, kShotTimer, 1500, nullptr);
        return 0;
    case WM_TIMER:
        if (wp == kShotTimer) {
            KillTimer(wnd, kShotTimer);
            SaveShot(wnd);
        } else {
            gGallery->cpu->AddValue(SampleLoad(++gGallery->tick));
            gGallery->chart.Update();
            gGallery->gauges[0]->SetValue(40 + 5 * std::sin(gGallery->tick / 3.0));
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}
}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    Gallery gallery;
    gallery.screenshot = argc > 1 && std::strcmp(argv[1], "--screenshot") == 0;
    gGallery = &gallery;

    WNDCLASSA wc{};
    wc.lpfnWndProc = GalleryProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "MnemoraGallery";
    RegisterClassA(&wc);
    RECT r{0, 0, 720, 440};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&r, style, FALSE);
    HWND wnd = CreateWindowExA(0, "MnemoraGallery", kTitle, style, 20, 20, r.right - r.left, r.bottom - r.top,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!wnd) return 2;
    ShowWindow(wnd, SW_SHOW);
    SetForegroundWindow(wnd);
    SetFocus(GetDlgItem(wnd, 1066));  // one button shows its focus colours
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(wnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    gGallery = nullptr;
    return !gallery.screenshot || gallery.saved ? 0 : 1;
}
