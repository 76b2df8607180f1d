// Icons of executables for list controls. Usable on its own: the start-up items manager
// shows its rows with them.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <map>
#include <string>

// The file named by a command line: for a text holding a double quote, what lies between
// its second character and the next quote (a quoted "C:\Program Files\x.exe" /a gives
// C:\Program Files\x.exe); any other text unchanged.
std::string CommandFilePath(const std::string& command);

// Appends exactly one icon to `images` for the program `command` names: the shell's icon,
// else the file's first icon, else the program's icon `fallbackId` (else the system's
// application icon). Returns the new icon's index (the image count minus one), -1 when the
// list took no icon at all.
int AddFileIcon(const std::string& command, HIMAGELIST images, int fallbackId);

// Icons of programs in one image list, each added once, when first asked for: a list of a
// hundred processes then reads only the icons it shows, and each only once.
class FileIconCache {
public:
    // Starts over with `images`, which the caller owns; rows without an icon of their own get
    // the program's icon `fallbackId`.
    void Attach(HIMAGELIST images, int fallbackId);
    // Index in the image list of the icon for `command` (see AddFileIcon), added on first use;
    // -1 when none could be added.
    int IndexFor(const std::string& command);
    // Answers a list view's LVN_GETDISPINFO when it asks for the image of a row that shows the
    // icon of `commandOf(row)`; the index sits alike in the ANSI and wide records.
    template <class CommandOf>
    void AnswerImageRequest(LPARAM dispInfo, size_t rowCount, CommandOf commandOf) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(dispInfo)->item;
        if (!(item.mask & LVIF_IMAGE) || item.iItem < 0 || static_cast<size_t>(item.iItem) >= rowCount) return;
        item.iImage = IndexFor(commandOf(static_cast<size_t>(item.iItem)));
    }

private:
    HIMAGELIST images_ = nullptr;
    int fallbackId_ = 0;
    std::map<std::string, int> indexes_;
};
