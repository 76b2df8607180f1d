// Modal dialog base: owns the DLGPROC thunk, decodes each message once and
// dispatches it through the derived class's static route table.
#pragma once
#include <windows.h>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/Dpi.h"
#include "ui/DpiLayout.h"
#include "ui/Handles.h"

// One decoded message. Handlers set `result` when the message needs one
// (it goes through DWLP_MSGRESULT for WM_NOTIFY, as the return value otherwise).
struct DialogMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT id;    // control id (WM_COMMAND, WM_NOTIFY), timer id (WM_TIMER)
    UINT code;  // notification code (WM_COMMAND, WM_NOTIFY)
    INT_PTR result;
    bool passOn;  // set by a handler that wants the default processing as well
};

// Messages a dialog reflects back to the child control they concern, so a
// subclassed control can draw and colour itself: the reflected number is
// kReflectBase + the original (WM_DRAWITEM, WM_CTLCOLOR*, WM_COMMAND, WM_NOTIFY).
// A control that handles one returns non-zero (the brush for WM_CTLCOLOR*).
constexpr UINT kReflectBase = 0x2000;  // OCM__BASE

// A caption set at initialization: the text of language key `key` (see ui/UiText.h), or the
// literal `text` when `key` is null. The id Dialog::kWindowTitle names the window's title.
struct Caption {
    int id;
    const char* key;
    const char* text = nullptr;
};
// The row of a control whose language key is its own resource name (IDC_CHECKSOUND's text is
// the key "IDC_CHECKSOUND"); rows whose key differs are written out.
#define CAPTION(id) {id, #id}

class Dialog {
public:
    explicit Dialog(int templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally over the parent given at construction; returns the value
    // passed to EndDialog, -1 on failure.
    INT_PTR RunModal() { return RunModal(parent_); }
    // Runs it modally over `owner`, which owns it and takes no input until it closes.
    INT_PTR RunModal(HWND owner);
    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    // The DPI the window is laid out and drawn at: the system's when it was created, then the
    // monitor's it was moved to.
    int Dpi() const { return dpi_; }

    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text) const;
    void EnableItem(int id, bool enable) const { EnableWindow(Item(id), enable ? TRUE : FALSE); }
    // Track bar `id`: its range (both ends included) and its position, redrawn at once.
    void SetSliderRange(int id, int low, int high) const;
    void SetSliderPos(int id, int position) const;
    int SliderPos(int id) const;
    // Up-down control `id`: its range, `low` at the bottom.
    void SetSpinRange(int id, int low, int high) const;

    // Background and text colour of every dialog, as one process-wide setting.
    static void SetDialogBkColor(COLORREF background, COLORREF text);
    // True while a dialog of template `templateId` is open in this process.
    static bool IsOpen(int templateId);
    int TemplateId() const { return templateId_; }

    static constexpr int kWindowTitle = -100;
    // Sets the captions of a table, in table order.
    void SetCaptions(const Caption* table, size_t count) const;
    template <size_t N>
    void SetCaptions(const Caption (&table)[N]) const { SetCaptions(table, N); }

    // Copies bound members into their controls / controls into their members.
    void ShowMembers();
    bool ReadControls();
    // Copies only the controls `ids` into their members: a timer that needs two of them need
    // not ask every control of the window.
    void ReadControls(std::initializer_list<int> ids);

protected:
    // Bindings between controls and members: check box <-> bool, edit <-> string
    // (optional length limit), slider position <-> int, combo-box selection <-> int (-1: none).
    void BindCheck(int id, bool* member);
    void BindText(int id, std::string* member, int maxChars = 0);
    void BindSlider(int id, int* member);
    void BindCombo(int id, int* member);
    // The window paints the shared rounded white panel on grey (ui/RoundedFrame.h) as its
    // background; call from the constructor.
    void UseRoundedFrame() { roundedFrame_ = true; }

    // Called at WM_INITDIALOG after the members were shown; return FALSE when
    // the focus was set.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Called when the window moved from `oldDpi` to Dpi() (at its new size, its controls
    // scaled and told), before it is redrawn: what the window itself sizes in pixels follows.
    virtual void OnDpiChanged(int oldDpi) { (void)oldDpi; }
    // Fits the pictures of the bitmap and icon controls to their frames again (after the
    // window moved or sized one).
    void FitPictures() { pictures_.Fit(hwnd_, dpi_); }
    // Route lookup of the derived class; true when a route handled the message.
    virtual bool Dispatch(DialogMessage& m) { (void)m; return false; }
    // Messages no route took; true when handled.
    virtual bool OnUnrouted(DialogMessage& m) { (void)m; return false; }
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(INT_PTR result);
    // The answer to WM_CTLCOLOR* with the process-wide dialog colours.
    INT_PTR ColorReply(HDC dc) const;

    HWND hwnd_ = nullptr;

private:
    struct Binding {
        enum Kind { Check, Text, Slider, Combo } kind;
        int id;
        int* number;
        bool* flag;
        std::string* text;
        int maxChars;
        HWND wnd;  // the control, found once when the window is created
    };
    static std::string WindowText(HWND wnd);
    static void ReadBinding(const Binding& b);
    static INT_PTR CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
    static HWND ReflectTarget(UINT msg, WPARAM wp, LPARAM lp);
    // Follows a move to a monitor of `dpi`: the window takes the `suggested` rectangle, its
    // controls and their fonts scale, and the drawn controls are told.
    void FollowDpi(int dpi, const RECT& suggested);

    int templateId_;
    HWND parent_;
    std::vector<Binding> bindings_;
    bool roundedFrame_ = false;
    int dpi_ = kBaseDpi;
    UniqueGdi<HFONT> font_;  // the dialog's font made for a later DPI; the controls show it
    DialogPictures pictures_;
};

// Typed route table for a dialog class T, which declares
//   static const Route kRoutes[];
// and ends the table with an empty entry {}.
template <class T>
class DialogImpl : public Dialog {
public:
    using Dialog::Dialog;
    static constexpr UINT kAnyCode = 0xFFFFFFFFu;
    struct Route {
        UINT message;
        UINT id;     // ignored unless the message carries one
        UINT code;   // kAnyCode matches every notification
        void (T::*handler)(DialogMessage&);
    };

protected:
    bool Dispatch(DialogMessage& m) override {
        for (const Route* p = T::kRoutes; p->handler; ++p) {
            const Route& r = *p;
            if (r.message != m.message) continue;
            if (HasId(m.message) && r.id != m.id) continue;
            if (HasCode(m.message) && r.code != kAnyCode && r.code != m.code) continue;
            (static_cast<T*>(this)->*r.handler)(m);
            return true;
        }
        return false;
    }

private:
    static bool HasId(UINT msg) { return msg == WM_COMMAND || msg == WM_NOTIFY || msg == WM_TIMER; }
    static bool HasCode(UINT msg) { return msg == WM_COMMAND || msg == WM_NOTIFY; }
};
