#include "ui/Dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/Dpi.h"
#include "ui/RoundedFrame.h"
#include "ui/SubclassedControl.h"
#include "ui/UiText.h"

namespace {
COLORREF gBackground = GetSysColor(COLOR_BTNFACE);
COLORREF gText = GetSysColor(COLOR_BTNTEXT);
HBRUSH gBrush = nullptr;  // process lifetime; replaced only by SetDialogBkColor
bool gCustomColors = false;
std::vector<int> gOpenTemplates;  // user-interface thread only
}  // namespace

bool Dialog::IsOpen(int templateId) {
    return std::find(gOpenTemplates.begin(), gOpenTemplates.end(), templateId) != gOpenTemplates.end();
}

void Dialog::SetCaptions(const Caption* table, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
        const Caption& c = table[i];
        std::string text = c.key ? UiText(c.key) : std::string(c.text ? c.text : "");
        if (c.id == kWindowTitle)
            SetWindowTextA(hwnd_, text.c_str());
        else
            SetItemText(c.id, text);
    }
}

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() = default;

void Dialog::SetDialogBkColor(COLORREF background, COLORREF text) {
    HBRUSH brush = CreateSolidBrush(background);
    if (!brush) return;
    if (gBrush) DeleteObject(gBrush);
    gBrush = brush;
    gBackground = background;
    gText = text;
    gCustomColors = true;
}

INT_PTR Dialog::RunModal(HWND owner) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, Proc,
                           reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }

void Dialog::OnOK() {
    ReadControls();
    EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

std::string Dialog::ItemText(int id) const { return WindowText(Item(id)); }

std::string Dialog::WindowText(HWND wnd) {
    if (!wnd) return std::string();
    // One call for the usual short text; the length is asked for only when it may not fit.
    char buffer[256];
    int got = GetWindowTextA(wnd, buffer, sizeof buffer);
    if (got < static_cast<int>(sizeof buffer) - 1) return std::string(buffer, static_cast<size_t>(got));
    int len = GetWindowTextLengthA(wnd);
    std::string text(static_cast<size_t>(len) + 1, '\0');
    got = GetWindowTextA(wnd, &text[0], len + 1);
    text.resize(static_cast<size_t>(got));
    return text;
}

void Dialog::SetItemText(int id, const std::string& text) const { SetDlgItemTextA(hwnd_, id, text.c_str()); }

void Dialog::SetSliderRange(int id, int low, int high) const {
    SendDlgItemMessageA(hwnd_, id, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
}

void Dialog::SetSliderPos(int id, int position) const { SendDlgItemMessageA(hwnd_, id, TBM_SETPOS, TRUE, position); }

int Dialog::SliderPos(int id) const { return static_cast<int>(SendDlgItemMessageA(hwnd_, id, TBM_GETPOS, 0, 0)); }

void Dialog::SetSpinRange(int id, int low, int high) const {
    SendDlgItemMessageA(hwnd_, id, UDM_SETRANGE, 0, MAKELPARAM(high, low));
}

void Dialog::BindCheck(int id, bool* member) {
    bindings_.push_back({Binding::Check, id, nullptr, member, nullptr, 0, nullptr});
}
void Dialog::BindText(int id, std::string* member, int maxChars) {
    bindings_.push_back({Binding::Text, id, nullptr, nullptr, member, maxChars, nullptr});
}
void Dialog::BindSlider(int id, int* member) {
    bindings_.push_back({Binding::Slider, id, member, nullptr, nullptr, 0, nullptr});
}
void Dialog::BindCombo(int id, int* member) {
    bindings_.push_back({Binding::Combo, id, member, nullptr, nullptr, 0, nullptr});
}

// The main window reads its controls at every refresh, so each exchange is one message to a
// control found once, when the window was created.
void Dialog::ShowMembers() {
    if (!hwnd_) return;
    for (const Binding& b : bindings_) {
        if (!b.wnd) continue;
        switch (b.kind) {
        case Binding::Check:
            SendMessageA(b.wnd, BM_SETCHECK, *b.flag ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case Binding::Text:
            if (b.maxChars > 0) SendMessageA(b.wnd, EM_LIMITTEXT, b.maxChars, 0);
            // Setting an unchanged text would raise a needless change notification.
            if (WindowText(b.wnd) != *b.text) SetWindowTextA(b.wnd, b.text->c_str());
            break;
        case Binding::Slider: SendMessageA(b.wnd, TBM_SETPOS, TRUE, *b.number); break;
        case Binding::Combo: SendMessageA(b.wnd, CB_SETCURSEL, static_cast<WPARAM>(*b.number), 0); break;
        }
    }
}

// A missing control reads as 0 or "", as the item functions would have it.
void Dialog::ReadBinding(const Binding& b) {
    switch (b.kind) {
    case Binding::Check: *b.flag = SendMessageA(b.wnd, BM_GETCHECK, 0, 0) == BST_CHECKED; break;
    case Binding::Text:
        *b.text = WindowText(b.wnd);
        if (b.maxChars > 0 && b.text->size() > static_cast<size_t>(b.maxChars)) b.text->resize(b.maxChars);
        break;
    case Binding::Slider: *b.number = static_cast<int>(SendMessageA(b.wnd, TBM_GETPOS, 0, 0)); break;
    case Binding::Combo: *b.number = static_cast<int>(SendMessageA(b.wnd, CB_GETCURSEL, 0, 0)); break;
    }
}

bool Dialog::ReadControls() {
    if (!hwnd_) return false;
    for (const Binding& b : bindings_) ReadBinding(b);
    return true;
}

void Dialog::ReadControls(std::initializer_list<int> ids) {
    if (!hwnd_) return;
    for (const Binding& b : bindings_)
        for (int id : ids)
            if (b.id == id) ReadBinding(b);
}

INT_PTR Dialog::ColorReply(HDC dc) const {
    SetTextColor(dc, gText);
    SetBkColor(dc, gBackground);
    return reinterpret_cast<INT_PTR>(gBrush ? gBrush : GetSysColorBrush(COLOR_BTNFACE));
}

HWND Dialog::ReflectTarget(UINT msg, WPARAM, LPARAM lp) {
    switch (msg) {
    case WM_DRAWITEM: return reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;
    case WM_COMMAND: return reinterpret_cast<HWND>(lp);  // null for menus and accelerators
    case WM_NOTIFY: return reinterpret_cast<const NMHDR*>(lp)->hwndFrom;
    default:
        if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) return reinterpret_cast<HWND>(lp);
        return nullptr;
    }
}

void Dialog::FollowDpi(int dpi, const RECT& suggested) {
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const int old = dpi_;
    if (dpi <= 0 || dpi == old) return;
    HFONT current = font_ ? font_.get() : reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    UniqueGdi<HFONT> font(ScaledFont(current, old, dpi));
    ScaleChildren(hwnd_, old, dpi, current, font.get());
    if (font) font_ = std::move(font);  // the controls have let go of the previous one
    dpi_ = dpi;
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (SubclassedControl* control = SubclassedControl::Of(child)) control->SetDpi(dpi);
    pictures_.Fit(hwnd_, dpi);
    OnDpiChanged(old);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

INT_PTR CALLBACK Dialog::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        SetWindowLongPtrA(wnd, DWLP_USER, lp);
        self->hwnd_ = wnd;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(wnd, DWLP_USER));
    }
    if (!self) return FALSE;  // messages before WM_INITDIALOG
    // No exception may unwind through user32.
    try {
        return self->Handle(msg, wp, lp);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    DialogMessage m{msg, wp, lp, 0, 0, 0, false};
    if (msg == WM_COMMAND) {
        m.id = LOWORD(wp);
        m.code = HIWORD(wp);
    } else if (msg == WM_NOTIFY) {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
        m.id = static_cast<UINT>(hdr->idFrom);
        m.code = hdr->code;
    } else if (msg == WM_TIMER) {
        m.id = static_cast<UINT>(wp);
    }

    if (msg == WM_INITDIALOG) {
        gOpenTemplates.push_back(templateId_);
        dpi_ = WindowDpi(hwnd_);
        TakeOverDialogScaling(hwnd_);
        pictures_.Fit(hwnd_, dpi_);
        for (Binding& b : bindings_) b.wnd = Item(b.id);
        UiTextBatch texts;  // the captions of one initialization come from one read
        ShowMembers();
        return OnInitDialog();
    }
    if (msg == kWmDpiChanged && lp) {
        FollowDpi(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return TRUE;
    }
    HWND child = ReflectTarget(msg, wp, lp);
    bool drawing = msg == WM_DRAWITEM || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC);
    if (child && drawing) {
        // A self-drawing control takes precedence over the dialog's own colours.
        if (LRESULT r = SendMessageA(child, kReflectBase + msg, wp, lp)) return static_cast<INT_PTR>(r);
    }
    if (Dispatch(m) || OnUnrouted(m)) {
        if (m.passOn) return FALSE;
        if (msg == WM_NOTIFY) {
            SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, m.result);
            return TRUE;
        }
        return m.result ? m.result : TRUE;
    }
    if (child && !drawing) {
        if (LRESULT r = SendMessageA(child, kReflectBase + msg, wp, lp)) {
            if (msg == WM_NOTIFY) SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, r);
            return TRUE;
        }
    }
    switch (msg) {
    case WM_COMMAND:
        if (m.id == IDOK && m.code == BN_CLICKED) { OnOK(); return TRUE; }
        if (m.id == IDCANCEL && m.code == BN_CLICKED) { OnCancel(); return TRUE; }
        break;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (gCustomColors) return ColorReply(reinterpret_cast<HDC>(wp));
        break;
    case WM_PAINT:
        if (roundedFrame_) {
            PaintRoundedFrame(hwnd_, dpi_);
            return TRUE;
        }
        break;
    case WM_NCDESTROY: {
        auto open = std::find(gOpenTemplates.begin(), gOpenTemplates.end(), templateId_);
        if (open != gOpenTemplates.end()) gOpenTemplates.erase(open);
        for (Binding& b : bindings_) b.wnd = nullptr;
        // The controls are gone: nothing shows these any more.
        pictures_.Clear();
        font_.reset();
        hwnd_ = nullptr;
        break;
    }
    }
    return FALSE;
}
