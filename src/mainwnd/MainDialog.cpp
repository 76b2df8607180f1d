#include "mainwnd/MainDialog.h"

#include <commctrl.h>

#include <cstdio>

#include "app/Application.h"
#include "app/RegistryKey.h"
#include "app/SettingValues.h"
#include "app/ResourceText.h"
#include "app/TextUtil.h"
#include "hwinfo/ProcessorInfo.h"
#include "mainwnd/MainGeometry.h"
#include "mainwnd/StatusText.h"
#include "optimizer/AllocationPlan.h"
#include "probes/CpuLoad.h"
#include "probes/MemoryStatus.h"
#include "probes/OsVersion.h"
#include "resource.h"
#include "ui/Palette.h"

namespace {
// The window whose preset tip sees the messages of the modal loop first (a hook has no
// context of its own); user-interface thread only.
PresetTooltip* gHookedTip = nullptr;

// Segments of each memory bar.
constexpr int kBarSegments = 32;

struct LabelStyle {
    int id;
    COLORREF color;
    int height;
    const char* face;
};
// Colour labels in the order of labels_.
const LabelStyle kLabelStyles[] = {
    {IDC_TITLE1, kTitleCyan, 13, "Tahoma Bold"}, {IDC_TITLE2, kTitleCyan, 13, "Tahoma Bold"},
    {IDC_TITLE3, kTitleCyan, 13, "Tahoma Bold"}, {IDC_TITLE4, kTitleCyan, 13, "Tahoma Bold"},
    {IDC_PERCENT, kTitleCyan, 11, "Tahoma"},     {IDC_CLOCKCAPTION, kPink, 11, "Tahoma"},
    {IDC_CLOCK, kYellow, 11, "Tahoma"},          {IDC_CPUNAME, kWhite, 11, "Tahoma"},
    {IDC_CPUMHZ, kWhite, 11, "Tahoma"},          {IDC_CPULOAD, kWhite, 11, "Tahoma"},
    {IDC_CPUNUMBER, kWhite, 11, "Tahoma"},       {IDC_MEMTOTAL, kWhite, 11, "Tahoma"},
    {IDC_PAGEFILE_TEXT, kPink, 11, "Tahoma"},    {IDC_VIRTUAL_TEXT, kPink, 11, "Tahoma"},
    {IDC_PHYSICAL_TEXT, kPink, 11, "Tahoma"},
};
static_assert(sizeof kLabelStyles / sizeof kLabelStyles[0] == 15, "one style per colour label");
const int kBarIds[3] = {IDC_PAGEFILE_BAR, IDC_VIRTUAL_BAR, IDC_PHYSICAL_BAR};
const int kButtonIds[3] = {IDC_LZL_BUTTON, IDC_CLEANRAM_BT, IDC_TAB_BUTTON};
}  // namespace

const Caption MainDialog::kCaptions[] = {
    CAPTION(IDC_LZL_BUTTON), CAPTION(IDC_CLEANRAM_BT), CAPTION(IDCANCEL),
    {IDC_TAB_BUTTON, "IDC_TAB_BUTTON1"},
    CAPTION(IDC_STATICBT2), CAPTION(IDC_STATICBT4), CAPTION(IDC_STATICBT5), CAPTION(IDC_STATICUSESM),
    CAPTION(IDC_STATICZDSM1), CAPTION(IDC_STATICZDSM2), CAPTION(IDC_CHECKSOUND), CAPTION(IDC_CHECKAUTODEFRAG),
    CAPTION(IDC_CHECKCLIPBOARD), CAPTION(IDC_CHECKLOG), CAPTION(IDC_CHECKAUTORUN), CAPTION(IDC_BUTTONSAVERAM),
    CAPTION(IDC_MSCONFIG_BT), CAPTION(IDC_PROCESSMG_BT), CAPTION(IDC_SERVICEMG_BT), CAPTION(IDC_EXITBT),
    CAPTION(IDC_BUTTONOT1), CAPTION(IDC_ABOUT2), CAPTION(IDC_HIDEBT2), CAPTION(IDC_CHECKAUTODEFRAGTIP),
    {IDC_HELPBT, nullptr, "Help"},
    CAPTION(IDC_CHECKALERTNOTICE), CAPTION(IDC_CHECKLOGONWND), CAPTION(ID_COPYBT), CAPTION(IDC_MEMHDINFOBT),
    CAPTION(IDC_STATICHOTKEY1), CAPTION(IDC_RUNKIND_LABEL), CAPTION(IDC_INTERVAL_LABEL),
};
const size_t MainDialog::kCaptionCount = sizeof kCaptions / sizeof kCaptions[0];

MainDialog::MainDialog(int argc, char** argv)
    : DialogImpl(IDD_MAIN_DIALOG), argc_(argc), argv_(argv),
      appIcon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      bars_{{{kBarSegments, 0}, {kBarSegments, 0}, {kBarSegments, 0}}} {
    autoRunPlace_ = IsVistaOrLater() ? AutoRunPlace::LogonTask : AutoRunPlace::RunValue;
    LoadMainSettings(settings_, autoRunPlace_);
    BindCheck(IDC_CHECKCLIPBOARD, &settings_.clipboard);
    BindCheck(IDC_CHECKAUTODEFRAG, &settings_.autoDefrag);
    BindCheck(IDC_CHECKSOUND, &settings_.sound);
    BindCheck(IDC_CHECKLOG, &settings_.report);
    BindCheck(IDC_CHECKAUTORUN, &settings_.autoRun);
    BindCheck(IDC_CHECKAUTODEFRAGTIP, &settings_.askBeforeRun);
    BindCheck(IDC_CHECK12H, &settings_.clock12);
    BindCheck(IDC_CHECKALERTNOTICE, &settings_.toolsNoWarning);
    BindCheck(IDC_CHECKLOGONWND, &settings_.logoOff);
    BindCheck(IDC_CHECKPERCENT, &settings_.percent);
    BindText(IDC_RAMALERT, &settings_.threshold);
    BindText(IDC_HOTKEY, &settings_.hotKey, 1);
    BindText(IDC_SLIDER_MIN, &settings_.rangeLow);
    BindText(IDC_SLIDER_MAX, &settings_.rangeHigh);
    BindSlider(IDC_SLIDER, &settings_.sliderPos);
    BindCombo(IDC_USERTYPE, &settings_.userType);
    BindCombo(IDC_RUNKIND, &settings_.runKind);
    BindText(IDC_INTERVAL, &settings_.interval, 4);
}

MainDialog::~MainDialog() {
    if (filterHook_) UnhookWindowsHookEx(filterHook_);
    if (gHookedTip == &presetTip_) gHookedTip = nullptr;
}

BOOL MainDialog::OnInitDialog() {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
    // The entry a predecessor's installer left in the list of installed programs: its program is
    // gone, so the entry would only fail; a failure to remove it changes nothing.
    RegistryKey uninstall;
    if (uninstall.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall") ==
        ERROR_SUCCESS)
        uninstall.DeleteSubKey("Memkite_is1");
    presetTip_.Create(hwnd_);
    gHookedTip = &presetTip_;
    gauge_.Attach(Item(IDC_GAUGE));
    gauge_.SetZones(true);
    RegisterHotKeyLetter();
    EnableItem(IDC_BUTTONSAVERAM, false);
    SetTimer(hwnd_, kRefreshTimer, 500, nullptr);
    SetTimer(hwnd_, kLowMemoryTimer, 1000, nullptr);
    SetUpAmountSlider();
    SetSpinRange(IDC_RAMALERT_SPIN, 1, 75);
    SetUpBars();
    SetUpChart();
    SetUpButtons();
    SetUpLabels();
    SetUpProcessorLines();
    SetUpTrayIcon();
    layout_.Start(hwnd_);
    SetCaptions(kCaptions);
    KeepLanguageTexts();
    SetUpPresetList();
    SetUpRunChoice();
    if (ReadSetting(kShowStatus) == 0 && argc_ <= 1) StartHidden();
    SaveSettings();
    if (ReadSetting(kAutoDefrag) == 0) EnableItem(IDC_CHECKAUTODEFRAGTIP, false);
    if (ReadSetting(kPerch) != 0) {
        settings_.percent = true;
        ShowMembers();
        ApplyPercentDisplay();
    }
    if (StartedByPowerOn()) {
        StartHidden();
        StartDelayedStart();
    }
    StartMonitor();
    return TRUE;
}

void MainDialog::RegisterHotKeyLetter() {
    // The letter's character code is the key code as it stands: a lower-case letter
    // names another key, which is how it always was stored.
    UINT key = static_cast<unsigned char>(settings_.hotKey.empty() ? kHotKey.byDefault[0] : settings_.hotKey[0]);
    RegisterHotKey(hwnd_, HOTKEY_ID, MOD_CONTROL | MOD_ALT, key);
}

void MainDialog::SetUpAmountSlider() {
    int total = QueryMemorySnapshot().TotalPhysMB;
    settings_.rangeLow = MegabyteText(total / 8);
    settings_.rangeHigh = MegabyteText(total);
    settings_.sliderPos = static_cast<int>(ReadSetting(kSliderPos));
    SetSliderRange(IDC_SLIDER, 1, 8);
    ShowMembers();
    EnableItem(IDC_SLIDER, false);
    UpdateAmountLabel();
}

void MainDialog::UpdateAmountLabel() {
    int total = QueryMemorySnapshot().TotalPhysMB;
    ReadControls();
    SetItemText(IDC_AMOUNT, MegabyteText(AmountMB(settings_.sliderPos, total)));
}

void MainDialog::SetUpBars() {
    int total = QueryMemorySnapshot().TotalPhysMB;
    const COLORREF darkGreen = RGB(0, 64, 0);
    const BarColors green = {darkGreen, darkGreen, darkGreen, kLitGreen, kLitGreen};
    for (int i = 0; i < 3; ++i) {
        BusyProgressCtrl& bar = bars_[i];
        bar.Attach(Item(kBarIds[i]));
        bar.SetSegmentCount(kBarSegments);
        bar.SetRange(0, total);
        bar.SetMode(BusyProgressCtrl::kProgressMode);
        bar.SetColors(green);
    }
    runDisplay_.Attach(hwnd_, green, labels_[4], labels_[3]);
}

void MainDialog::SetUpChart() {
    chart_.AddSeries("CPU", RGB(255, 249, 100), 1, -5, 100);
    RECT r;
    GetWindowRect(Item(IDC_CPU_CHART), &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    chart_.Create(WS_CHILD | WS_VISIBLE, r, hwnd_, kChartId);
    chart_.SetBackground(kBlack);
    // The chart takes the placeholder's place.
    ShowWindow(Item(IDC_CPU_CHART), SW_HIDE);
}

void MainDialog::SetUpButtons() {
    for (int i = 0; i < 3; ++i) {
        ColorButton& b = buttons_[i];
        b.Attach(Item(kButtonIds[i]));
        b.SetColor(0, kDarkGrey);
        b.SetColor(2, kDarkGrey);
        b.SetColor(4, RGB(0, 85, 0));
        b.SetColor(1, kWhite);
        b.SetColor(3, kWhite);
        b.SetColor(5, kLitGreen);
    }
}

void MainDialog::SetUpLabels() {
    for (size_t i = 0; i < labels_.size(); ++i) {
        const LabelStyle& s = kLabelStyles[i];
        ColorLabel& label = labels_[i];
        label.Attach(Item(s.id));
        label.SetBackgroundColor(kBlack);
        label.SetTextColor(s.color);
        label.SetFontHeight(s.height);
        label.SetFontFace(s.face);
    }
    const char* titles[] = {"Title1", "Title2", "Title3", "Title4"};
    for (int i = 0; i < 4; ++i) labels_[i].SetText(Lang(titles[i]));
    labels_[4].SetText("0 %");
}

void MainDialog::SetUpProcessorLines() {
    std::string quick = GetProcessorName();
    // The fuller identification runs only when the line shows it.
    std::string display = quick.find("Celeron") == std::string::npos ? DisplayProcessorName() : std::string();
    SetItemText(IDC_CPUNAME, ProcessorNameLine(Lang("TitleCPU1"), quick, display));
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    char line[256];
    std::snprintf(line, sizeof line, "- %s%d", Lang("strCPUNumber").c_str(), static_cast<int>(si.dwNumberOfProcessors));
    SetItemText(IDC_CPUNUMBER, line);

    // Measured once, then kept: the measurement takes a moment.
    std::string clock = ReadSettingString(kCpuMhz.name);
    if (clock.empty()) {
        if (IsWindows9x()) {
            ProcessorInfo info;
            info.Identify();
            clock = ClockText(info.ClockMHz() > 0 ? info.ClockMHz() : 0);
        } else {
            clock = GetProcessorClockText();
        }
        WriteSettingString(kCpuMhz.name, clock);
    }
    SetItemText(IDC_CPUMHZ, Format("- %s %s", Lang("TitleCPU2").c_str(), clock.c_str()));
    texts_.titleCpu3 = Lang("TitleCPU3");
}

void MainDialog::SetUpTrayIcon() {
    UniqueIcon icon = DrawLoadIcon();
    tray_.SetBusyQuery([this] { return run_.Running(); });
    tray_.Create(hwnd_, WM_TRAY_NOTIFY, "Mnemora", icon.get(), kTrayIconId);
}

void MainDialog::KeepLanguageTexts() {
    texts_.pramTotal = Lang("PRAMtotalStr");
    texts_.pramFree = Lang("PRAMFreeStr");
    texts_.ramFree = Lang("RAMFreeStr");
    texts_.pageFree = Lang("PageFreeStr");
    texts_.vramFree = Lang("VRAMFreeStr");
    texts_.curTime = Lang("CurTimeStr");
    texts_.titleCpu3 = Lang("TitleCPU3");
    texts_.iconTipsCpu = Lang("IconTipsCPU");
    texts_.iconTipsRam = Lang("IconTipsRAM");
    texts_.usedMemoryB = Lang("UsedMemoryb");
    texts_.usedFilePageB = Lang("UsedFilePageb");
    texts_.usedMemoryM = Lang("UsedMemorym");
    texts_.usedFilePageM = Lang("UsedFilePagem");
    displayModeText_ = Lang("MenuDispL2");
    weekDays_.clear();
    char key[32];
    for (int i = 0; i < 7; ++i) {
        std::snprintf(key, sizeof key, "WEEKSTR%d", i);
        weekDays_.push_back(Lang(key));
    }
    presetTexts_.clear();
    for (int i = 0; i < 5; ++i) {
        std::snprintf(key, sizeof key, "UserType%d", i);
        presetTexts_.push_back(Lang(key));
    }
}

void MainDialog::SetUpPresetList() {
    char key[32];
    for (int i = 1; i <= 5; ++i) {
        std::snprintf(key, sizeof key, "strComboxText%d", i);
        SendDlgItemMessageA(hwnd_, IDC_USERTYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Lang(key).c_str()));
    }
    ReadControls();
    // An index past the list would leave it without a selection, and the silent save would store that.
    settings_.userType = static_cast<int>(ReadSetting(kUserType, 0, kHighestUserType));
    ShowMembers();
    if (settings_.userType == 4) EnableItem(IDC_SLIDER, true);
}

bool MainDialog::StartedByPowerOn() const {
    if (argc_ < 2) return false;
    return Contains(Upper(argv_[1]), "POWER");
}

void MainDialog::StartHidden() {
    keepHidden_ = true;
    SetWindowPos(hwnd_, nullptr, -1024, -1024, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetTimer(hwnd_, kHideTimer, 50, nullptr);
}

void MainDialog::SaveSettings() {
    ReadControls();
    SaveMainSettings(settings_, settings_.userType, settings_.sliderPos, autoRunPlace_);
}

void MainDialog::ApplyPercentDisplay() {
    if (settings_.percent) {
        SetItemText(IDC_CHECKPERCENT, "MB");
        displayModeText_ = Lang("MenuDispL1");
        WriteSettingDword(kPerch.name, 1);
    } else {
        SetItemText(IDC_CHECKPERCENT, "%");
        displayModeText_ = Lang("MenuDispL2");
        WriteSettingDword(kPerch.name, 0);
    }
}

void MainDialog::ToggleExpanded() {
    layout_.Toggle(hwnd_);
    SetItemText(IDC_TAB_BUTTON, Lang(layout_.Expanded() ? "IDC_TAB_BUTTON2" : "IDC_TAB_BUTTON1"));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK MainDialog::MessageFilter(int code, WPARAM wp, LPARAM lp) {
    // The modal loop has no pre-translation of its own: the tip sees messages here first.
    if (code >= 0 && gHookedTip) gHookedTip->RelayEvent(*reinterpret_cast<const MSG*>(lp));
    return CallNextHookEx(nullptr, code, wp, lp);
}
