// The icon in the notification area: drawn memory-use picture, tooltip, popup menu.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

constexpr UINT WM_TRAY_NOTIFY = 0x1105;
constexpr UINT kTrayIconId = 132;

class CTrayIcon {
public:
    CTrayIcon();
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Adds the icon; false (and no icon) before version 4 or without an owner window.
    bool Create(HWND owner, UINT callbackMessage, const std::string& tooltip, HICON icon, UINT id);
    void Remove();
    // Adds the icon again after the taskbar restarted, with `icon` and the current tooltip.
    void Recreate(HICON icon);
    // The shell keeps its own copy: `icon` stays the caller's.
    void SetIcon(HICON icon);
    // A shared resource icon (LoadIconA), never destroyed.
    void SetIcon(int resourceId);
    // Texts longer than the record's 127 characters are cut, never written past it.
    void SetTooltipText(const std::string& text);
    // Tray callback; true when handled (only for this icon's id).
    virtual bool OnTrayNotification(WPARAM wParam, LPARAM lParam);

    // Text of the display-mode entry (position 8) for the next menu.
    void SetDisplayModeText(const std::string& text) { displayModeText_ = text; }
    // Whether the menu greys its commands (a run is in progress); read at each right click.
    void SetBusyQuery(std::function<bool()> busy) { busy_ = std::move(busy); }

    bool Enabled() const { return enabled_; }
    const char* Tooltip() const { return data_.szTip; }

private:
    void ShowMenu();
    void ShowMainWindow();

    bool enabled_ = false;
    NOTIFYICONDATAA data_;  // hIcon is the last one given, not owned
    std::string displayModeText_;
    std::function<bool()> busy_;
};

// Positions of the tray menu that stay enabled during a run (the separators).
bool TrayMenuKeepsEnabled(int position);
// Readies the tray popup: default item 0, `texts` by position (separators keep their
// form), the display-mode text at 8 and "About" at 10, and every command greyed when `busy`.
void PrepareTrayMenu(HMENU popup, const std::vector<std::string>& texts, const std::string& displayModeText,
                     bool busy);

// Copies `text` into a buffer of `size` characters, cut to fit with its terminating zero.
void CopyTruncated(char* buffer, size_t size, const std::string& text);
