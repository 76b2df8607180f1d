#include "ui/HyperlinkLabel.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "ui/Dialog.h"
#include "ui/DpiLayout.h"
#include "ui/MessageBox.h"

std::string HyperlinkReason(int code) {
    switch (code) {
    case 0: return "The operating system is out\nof memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied\naccess to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26: return "A sharing violation occurred. ";
    case 27: return "The filename association is\nincomplete or invalid.";
    case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30:
        return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31: return "There is no application associated\nwith the given filename extension.";
    case 32: return "The specified dynamic-link library was not found.";
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "Unknown Error (%d) occurred.", code);
        return text;
    }
    }
}

std::string HtmCommandLine(const std::string& command, const std::string& target) {
    std::string line = command;
    size_t cut = line.find("\"%1");
    if (cut == std::string::npos) cut = line.find("%1");
    if (cut != std::string::npos) line.erase(cut);
    return line + " " + target;
}

namespace {
int ShellOpen(const std::string& target) {
    HINSTANCE result = ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

// Default value of a key under HKEY_CLASSES_ROOT.
bool ReadClassDefault(const std::string& key, std::string* value) {
    char buffer[1024];
    LONG size = sizeof buffer;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), buffer, &size) != ERROR_SUCCESS) return false;
    // The stored text need not end with its terminator.
    size_t length = size > 0 ? static_cast<size_t>(size) : 0;
    if (length > 0 && buffer[length - 1] == '\0') --length;
    value->assign(buffer, length);
    return true;
}

bool ReadHtmCommand(std::string* command) {
    std::string type;
    return ReadClassDefault(".htm", &type) && ReadClassDefault(type + "\\shell\\open\\command", command);
}

int Execute(const std::string& commandLine) { return static_cast<int>(WinExec(commandLine.c_str(), SW_SHOW)); }

const HyperlinkOpeners kSystemOpeners{ShellOpen, ReadHtmCommand, Execute};
}  // namespace

const HyperlinkOpeners& SystemHyperlinkOpeners() { return kSystemOpeners; }

int OpenHyperlink(const std::string& target, const HyperlinkOpeners& openers) {
    int result = openers.shellOpen(target);
    if (result > 32) return result;
    std::string command;
    if (!openers.readHtmCommand(&command)) return result;
    return openers.execute(HtmCommandLine(command, target));
}

RECT FitLinkRect(const RECT& current, SIZE text, DWORD style) {
    RECT r = current;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: r.left = (current.left + current.right - text.cx) / 2; break;
    case SS_RIGHT: r.left = current.right - text.cx; break;
    default: break;
    }
    r.right = r.left + text.cx;
    if (style & SS_CENTERIMAGE) r.top = (current.top + current.bottom - text.cy) / 2;
    r.bottom = r.top + text.cy;
    return r;
}

HyperlinkLabel::HyperlinkLabel() : openers_(&SystemHyperlinkOpeners()) {}

HyperlinkLabel::~HyperlinkLabel() {
    if (tooltip_) DestroyWindow(tooltip_);
    // The control must not keep using a font this object is about to delete.
    if (Handle()) SendMessageA(Handle(), WM_SETFONT, 0, FALSE);
    Detach();
}

void HyperlinkLabel::OnAttached() {
    HWND wnd = Handle();
    SetWindowLongPtrA(wnd, GWL_STYLE, GetWindowLongPtrA(wnd, GWL_STYLE) | SS_NOTIFY);
    char text[512] = {};
    GetWindowTextA(wnd, text, sizeof text);
    if (target_.empty()) target_ = text;
    else if (!text[0]) SetWindowTextA(wnd, target_.c_str());
    MakeUnderlinedFont();
    if (fitToText_) FitToText();
    LoadHandCursor();
    AddTooltip();
}

void HyperlinkLabel::MakeUnderlinedFont() {
    HFONT current = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    if (!GetObjectA(current ? current : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) return;
    lf.lfUnderline = underline_ ? TRUE : FALSE;
    HFONT font = CreateFontIndirectA(&lf);
    if (!font) return;
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    font_.reset(font);
}

void HyperlinkLabel::FitToText() {
    HWND wnd = Handle();
    int length = GetWindowTextLengthA(wnd);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    GetWindowTextA(wnd, text.data(), length + 1);
    SIZE extent{};
    {
        WindowDc dc(wnd);
        SelectGuard select(dc.get(), font_.get());
        if (!GetTextExtentPoint32A(dc.get(), text.data(), length, &extent)) return;
    }
    RECT r{};
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
    RECT fitted = FitLinkRect(r, extent, static_cast<DWORD>(GetWindowLongPtrA(wnd, GWL_STYLE)));
    SetWindowPos(wnd, nullptr, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void HyperlinkLabel::LoadHandCursor() {
    char path[MAX_PATH + 16] = {};
    UINT n = GetWindowsDirectoryA(path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        std::strcat(path, "\\winhlp32.exe");
        UniqueModule help(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
        HCURSOR shared = help ? LoadCursorA(help.get(), MAKEINTRESOURCEA(106)) : nullptr;
        // A copy, so the cursor outlives the module it came from.
        if (shared) hand_.reset(static_cast<HCURSOR>(CopyImage(shared, IMAGE_CURSOR, 0, 0, 0)));
    }
    if (hand_) return;
    // The system's own hand (not on the oldest systems), copied so it can be released like the other.
    HCURSOR system = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
    if (system) hand_.reset(static_cast<HCURSOR>(CopyImage(system, IMAGE_CURSOR, 0, 0, 0)));
}

void HyperlinkLabel::AddTooltip() {
    if (tooltip_) return;
    tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, GetParent(Handle()), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!tooltip_) return;
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;  // the size older common controls accept
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = Handle();
    info.uId = 1;
    GetClientRect(Handle(), &info.rect);
    info.lpszText = const_cast<char*>(target_.c_str());
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void HyperlinkLabel::SetTarget(const std::string& target) {
    target_ = target;
    if (!Handle()) return;
    if (fitToText_) FitToText();
    UpdateTooltip();
}

void HyperlinkLabel::UpdateTooltip() {
    if (!tooltip_) return;
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = Handle();
    info.uId = 1;
    info.lpszText = const_cast<char*>(target_.c_str());
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    GetClientRect(Handle(), &info.rect);
    SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
}

void HyperlinkLabel::OnDpiChanged(int oldDpi) {
    HFONT font = Handle() ? ScaledFont(font_.get(), oldDpi, Dpi()) : nullptr;
    if (!font) return;
    // Hand the control the new font before the old one is deleted.
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    font_.reset(font);
    if (fitToText_) FitToText();
    UpdateTooltip();
}

void HyperlinkLabel::SetColors(COLORREF link, COLORREF visited, COLORREF hover) {
    link_ = link;
    visitedColor_ = visited;
    hover_ = hover;
    Redraw();
}

COLORREF HyperlinkLabel::CurrentColor() const {
    if (pointerOver_) return hover_ == CLR_INVALID ? GetSysColor(COLOR_HIGHLIGHT) : hover_;
    return visited_ ? visitedColor_ : link_;
}

void HyperlinkLabel::Open() {
    SetPointerOver(false);
    int result = OpenHyperlink(target_, *openers_);
    if (result > 32) {
        visited_ = true;
        Redraw();
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    std::string text = "Unable to open hyperlink:\n\n" + HyperlinkReason(result);
    ShowMessageText(Handle() ? GetParent(Handle()) : nullptr, text, "Mnemora", MB_OK | MB_ICONEXCLAMATION);
}

void HyperlinkLabel::SetPointerOver(bool over) {
    if (over == pointerOver_) return;
    pointerOver_ = over;
    if (over) SetCapture(Handle());
    else if (GetCapture() == Handle()) ReleaseCapture();
    Redraw();
}

void HyperlinkLabel::OnMouseMove(LPARAM lp) {
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    RECT client{};
    GetClientRect(Handle(), &client);
    SetPointerOver(PtInRect(&client, p) != FALSE);
}

void HyperlinkLabel::Redraw() const {
    HWND wnd = Handle();
    if (!wnd) return;
    // The text is drawn transparently: the parent repaints what lies beneath it first.
    RECT r{};
    GetWindowRect(wnd, &r);
    HWND parent = GetParent(wnd);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool HyperlinkLabel::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kReflectBase + WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        if (font_) SelectObject(dc, font_.get());
        SetTextColor(dc, CurrentColor());
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
    }
    case WM_SETCURSOR:
        if (!hand_) return false;
        SetCursor(hand_.get());
        result = TRUE;
        return true;
    case WM_MOUSEMOVE: OnMouseMove(lp); return false;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != Handle() && pointerOver_) {
            pointerOver_ = false;
            Redraw();
        }
        return false;
    case WM_LBUTTONUP: {
        POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        RECT client{};
        GetClientRect(Handle(), &client);
        if (PtInRect(&client, p)) Open();
        return false;
    }
    default: return false;
    }
}
