// Static text that opens a target (a web address or a file) when clicked.
#pragma once
#include <windows.h>

#include <string>

#include "ui/Handles.h"
#include "ui/SubclassedControl.h"

// Text that follows "Unable to open hyperlink:" for a failed opening's result code.
std::string HyperlinkReason(int code);

// Command line for the ".htm" handler: `command` cut where the "%1" placeholder
// (or its quoted form) begins, then a blank and the target.
std::string HtmCommandLine(const std::string& command, const std::string& target);

// How a target is opened: the system's ways unless a label is given others.
struct HyperlinkOpeners {
    int (*shellOpen)(const std::string& target);          // result as ShellExecute's
    bool (*readHtmCommand)(std::string* command);         // the ".htm" handler's open command
    int (*execute)(const std::string& commandLine);       // result as WinExec's
};
const HyperlinkOpeners& SystemHyperlinkOpeners();

// Opens `target` through the shell, else through the ".htm" handler; returns
// the last result (above 32 is success).
int OpenHyperlink(const std::string& target, const HyperlinkOpeners& openers = SystemHyperlinkOpeners());

// Where a label with `style` goes when it takes the size of its text: left,
// centre or right edge kept, and the vertical centre when the text is centred vertically.
RECT FitLinkRect(const RECT& current, SIZE text, DWORD style);

class HyperlinkLabel : public SubclassedControl {
public:
    HyperlinkLabel();
    ~HyperlinkLabel() override;

    // Sets what a click opens; also the tooltip and, with fit-to-text, the size.
    void SetTarget(const std::string& target);
    // Link, visited and hover colours; a hover of (COLORREF)-1 follows the system's highlight colour.
    void SetColors(COLORREF link, COLORREF visited, COLORREF hover);
    // Before Attach: resize to the text (on by default).
    void SetFitToText(bool fit) { fitToText_ = fit; }
    // Replaces the ways of opening; `openers` must outlive the label.
    void SetOpeners(const HyperlinkOpeners& openers) { openers_ = &openers; }

    const std::string& Target() const { return target_; }
    bool Visited() const { return visited_; }
    bool PointerOver() const { return pointerOver_; }
    // Colour the text is drawn in now.
    COLORREF CurrentColor() const;

    // Opens the target as a click does; on failure beeps and explains in a message box.
    void Open();

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnAttached() override;
    // The underlined font is made anew for the DPI, and the label fits its text again.
    void OnDpiChanged(int oldDpi) override;

private:
    struct CursorTraits { static void Free(HCURSOR c) { DestroyCursor(c); } };

    void MakeUnderlinedFont();
    void FitToText();
    void AddTooltip();
    void UpdateTooltip();
    void LoadHandCursor();
    void OnMouseMove(LPARAM lp);
    void SetPointerOver(bool over);
    void Redraw() const;

    std::string target_;
    COLORREF link_ = RGB(0, 0, 238);
    COLORREF visitedColor_ = RGB(85, 26, 139);
    COLORREF hover_ = CLR_INVALID;  // CLR_INVALID: the system's highlight colour
    bool visited_ = false;
    bool pointerOver_ = false;
    bool underline_ = true;
    bool fitToText_ = true;
    const HyperlinkOpeners* openers_;
    UniqueGdi<HFONT> font_;
    UniqueOwner<HCURSOR, CursorTraits> hand_;
    HWND tooltip_ = nullptr;
};
