#include "mainwnd/TrayPictures.h"

#include "mainwnd/LoadIcon.h"
#include "probes/MemoryStatus.h"
#include "probes/OsVersion.h"
#include "ui/Dpi.h"

TrayPictures::TrayPictures() : xpTray_(GetOSVersionSuffix().find("XP") != std::string::npos) {
    const int pictures[2][3] = {{170, 172, 171}, {156, 157, 158}};
    for (int i = 0; i < 3; ++i)
        bases_[i] = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(pictures[xpTray_ ? 1 : 0][i]));
}

COLORREF TrayPictures::Background() const {
    COLORREF background = GetSysColor(COLOR_BTNFACE);
    if (!xpTray_) return background;
    // XP's notification area has a colour of its own: take it from the tray itself.
    HWND tray = FindWindowA("Shell_TrayWnd", "");
    HWND notify = tray ? FindWindowExA(tray, nullptr, "TrayNotifyWnd", "") : nullptr;
    if (!notify) return background;
    RECT r;
    GetClientRect(notify, &r);
    WindowDc dc(notify);
    COLORREF pixel = GetPixel(dc.get(), r.right - 1, 18);
    return pixel != CLR_INVALID ? pixel : background;
}

int TrayPictures::Size() { return SmallIconSize(WindowDpi(FindWindowA("Shell_TrayWnd", nullptr))); }

TrayPictures::Picture TrayPictures::Current(bool percent) const {
    MemorySnapshot s = QueryMemorySnapshot();
    Picture p;
    p.base = bases_[BasePictureIndex(s.TotalPhysMB - s.AvailPhysMB, s.TotalPhysMB)];
    p.text = TrayIconText(percent, s.AvailPhysMB, s.TotalPhysMB);
    p.background = Background();
    p.size = Size();
    return p;
}

UniqueIcon TrayPictures::Draw(bool percent) const {
    Picture p = Current(percent);
    return DrawTrayPicture(p.base, p.text, p.background, p.size);
}

void TrayPictures::Update(CTrayIcon& tray, bool percent) {
    // Drawn and handed to the shell only when it would look different: that was most of
    // what the program cost while it waited in the tray.
    Picture picture = Current(percent);
    if (picture == shown_) return;
    UniqueIcon icon =
        DrawTrayPicture(picture.base, picture.text, picture.background, picture.size, ArtFor(picture.base, picture.size));
    tray.SetIcon(icon.get());
    shown_ = picture;
}

HICON TrayPictures::ArtFor(HICON base, int size) {
    if (size != artSize_) {
        for (UniqueIcon& art : arts_) art.reset();
        artSize_ = size;
    }
    for (int i = 0; i < 3; ++i)
        if (bases_[i] == base) {
            if (!arts_[i]) arts_[i] = TrayArt(base, size);
            return arts_[i].get();
        }
    return nullptr;
}

void TrayPictures::ShowResource(CTrayIcon& tray, int id) {
    tray.SetIcon(id);
    shown_ = Picture();
}
