#include "mainwnd/TrayIcon.h"

#include <cstdio>
#include <cstring>

#include "app/ResourceText.h"

// The record in its version-2 form (tooltip of 128 characters), the largest the
// 9x and NT 4 shells accept.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V2_SIZE == 488, "488-byte record on i686");

void CopyTruncated(char* buffer, size_t size, const std::string& text) {
    if (size == 0) return;
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

CTrayIcon::CTrayIcon() {
    std::memset(&data_, 0, sizeof data_);
    data_.cbSize = NOTIFYICONDATAA_V2_SIZE;
}

CTrayIcon::~CTrayIcon() { Remove(); }

bool CTrayIcon::Create(HWND owner, UINT callbackMessage, const std::string& tooltip, HICON icon, UINT id) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwMajorVersion < 4 || !IsWindow(owner)) return false;
    data_.hWnd = owner;
    data_.uID = id;
    data_.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    CopyTruncated(data_.szTip, sizeof data_.szTip, tooltip);
    enabled_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
    return enabled_;
}

void CTrayIcon::Remove() {
    if (!enabled_) return;
    data_.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &data_);
    enabled_ = false;
}

void CTrayIcon::Recreate(HICON icon) {
    if (!data_.hWnd) return;
    Remove();
    data_.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data_.hIcon = icon;
    enabled_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
}

void CTrayIcon::SetIcon(HICON icon) {
    if (!enabled_) return;
    data_.uFlags = NIF_ICON;
    data_.hIcon = icon;
    Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void CTrayIcon::SetIcon(int resourceId) {
    SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId)));
}

void CTrayIcon::SetTooltipText(const std::string& text) {
    if (!enabled_) return;
    // Each change is a message to the shell's process: an unchanged text is not sent again.
    char tip[sizeof data_.szTip];
    CopyTruncated(tip, sizeof tip, text);
    if (std::strcmp(tip, data_.szTip) == 0) return;
    std::memcpy(data_.szTip, tip, sizeof tip);
    data_.uFlags = NIF_TIP;
    Shell_NotifyIconA(NIM_MODIFY, &data_);
}

bool TrayMenuKeepsEnabled(int position) { return position == 1 || position == 6 || position == 9; }

bool CTrayIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != data_.uID) return false;
    if (lParam == WM_RBUTTONUP)
        ShowMenu();
    else if (lParam == WM_LBUTTONDBLCLK)
        ShowMainWindow();
    return true;
}

namespace {
// Owner of a loaded menu resource.
struct MenuResource {
    explicit MenuResource(UINT id) : menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id))) {}
    ~MenuResource() {
        if (menu) DestroyMenu(menu);
    }
    HMENU menu;
};

void SetItemText(HMENU menu, int position, const std::string& text) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_TYPE;
    item.fType = MFT_STRING;
    item.dwTypeData = const_cast<char*>(text.c_str());
    SetMenuItemInfoA(menu, position, TRUE, &item);
}
}  // namespace

void PrepareTrayMenu(HMENU popup, const std::vector<std::string>& texts, const std::string& displayModeText,
                     bool busy) {
    SetMenuDefaultItem(popup, 0, TRUE);
    int count = GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position) {
        // Separators keep their form; every other entry takes its language text.
        if (TrayMenuKeepsEnabled(position)) continue;
        if (static_cast<size_t>(position) < texts.size()) SetItemText(popup, position, texts[position]);
        if (busy) EnableMenuItem(popup, position, MF_BYPOSITION | MF_GRAYED);
    }
    SetItemText(popup, 8, displayModeText);
    SetItemText(popup, 10, "About");
}

void CTrayIcon::ShowMenu() {
    MenuResource resource(data_.uID);
    HMENU popup = resource.menu ? GetSubMenu(resource.menu, 0) : nullptr;
    if (!popup) return;
    std::vector<std::string> texts;
    char key[32];
    for (int position = 0, count = GetMenuItemCount(popup); position < count; ++position) {
        std::snprintf(key, sizeof key, "MenuItem%d", position);
        texts.push_back(Lang(key));
    }
    PrepareTrayMenu(popup, texts, displayModeText_, busy_ && busy_());
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(data_.hWnd);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, data_.hWnd, nullptr);
    // Lets the menu close when the user clicks elsewhere.
    PostMessageA(data_.hWnd, WM_NULL, 0, 0);
}

void CTrayIcon::ShowMainWindow() {
    MenuResource resource(data_.uID);
    HMENU popup = resource.menu ? GetSubMenu(resource.menu, 0) : nullptr;
    if (!popup) return;
    SetForegroundWindow(data_.hWnd);
    SendMessageA(data_.hWnd, WM_COMMAND, GetMenuItemID(popup, 0), 0);
}
