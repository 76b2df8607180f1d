// Icons of executables for list controls. Usable on its own: the start-up items manager
// shows its rows with them.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

// The file named by a command line: for a text holding a double quote, what lies between
// its second character and the next quote (a quoted "C:\Program Files\x.exe" /a gives
// C:\Program Files\x.exe); any other text unchanged.
std::string CommandFilePath(const std::string& command);

// Appends exactly one icon to `images` for the program `command` names: the shell's icon,
// else the file's first icon, else the application's icon 155 (else the system's
// application icon). The new icon's index is the image count minus one.
void AddFileIcon(const std::string& command, HIMAGELIST images);

// Icons of programs in one image list, each added once, when first asked for: a list of a
// hundred processes then reads only the icons it shows, and each only once.
class FileIconCache {
public:
    // Starts over with `images`, which the caller owns.
    void Attach(HIMAGELIST images);
    // Index in the image list of the icon for `command` (see AddFileIcon), added on first use.
    int IndexFor(const std::string& command);

private:
    HIMAGELIST images_ = nullptr;
    std::map<std::string, int> indexes_;
};
