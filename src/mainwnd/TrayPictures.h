// The tray icon's drawn picture of the memory in use: the base pictures of this system's tray,
// and the picture the tray shows now, so a tick that would draw the same one draws nothing.
#pragma once
#include <windows.h>

#include <string>

#include "mainwnd/TrayIcon.h"
#include "ui/Handles.h"

class TrayPictures {
public:
    // Loads the three base pictures: XP's tray has its own, and a colour of its own.
    TrayPictures();

    // The picture for the current memory use, its figure in percent or in megabytes.
    UniqueIcon Draw(bool percent) const;
    // Hands `tray` the picture for the current memory use unless it shows that one already.
    void Update(CTrayIcon& tray, bool percent);
    // Shows resource icon `id` (the alarm, the running sign) instead; the next Update draws.
    void ShowResource(CTrayIcon& tray, int id);
    // The tray was made anew: the next Update draws.
    void Forget() { shown_ = Picture(); }

private:
    // What a drawn picture shows, and its size.
    struct Picture {
        HICON base = nullptr;
        std::string text;
        COLORREF background = 0;
        int size = 0;
        bool operator==(const Picture& o) const {
            return base == o.base && text == o.text && background == o.background && size == o.size;
        }
    };
    Picture Current(bool percent) const;
    COLORREF Background() const;
    // The shell's small-icon size at the taskbar's DPI: the size it shows tray icons at.
    static int Size();

    // The artwork of `base` for pictures of `size`, loaded once per size.
    HICON ArtFor(HICON base, int size);

    HICON bases_[3] = {};  // shared resource icons: never destroyed
    UniqueIcon arts_[3];   // their artwork at artSize_
    int artSize_ = 0;
    bool xpTray_ = false;  // XP's tray: its own pictures, and text on the taskbar's colour
    Picture shown_;        // the drawn picture the tray shows; base null when it shows another icon
};
