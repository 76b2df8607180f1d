// Rows of the process manager's list and the rules behind them, apart from the window.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/ListView.h"

class FileIconCache;
class ProcessList;
class ProcessMonitor;

// Columns: the program (icon and display path), the id (hidden), the working set, and
// whether the process is in energy saving.
extern const ListColumn kProcessColumns[4];

// What one row shows about process k of the list.
struct ProcessFacts {
    DWORD id = 0;
    std::string path;  // as enumerated
    int image = I_IMAGECALLBACK;  // asked for when the row is drawn
    double workingSetMB = 0.0;  // 0.0 when it could not be read (or was not asked for)
    bool energySaved = false;   // the monitor emptied this process's working set
};

// "%8X" of the id: upper-case hexadecimal right-aligned in 8 characters.
std::string ProcessIdText(DWORD id);
// "%-5.2f MB": 12.3456 gives "12.35 MB", 2.5 gives "2.50  MB".
std::string WorkingSetText(double megabytes);
// True for this application's own executable ("RAMVANE" in the upper-case path).
bool IsOwnImage(const std::string& path);
// True when the working set of `f` could not be read, which its row shows as a system
// process's; the 9x line reads none, and our own row is labelled instead.
bool WorkingSetUnread(const ProcessFacts& f, bool windows9x);

// The rows for `facts` in order, each carrying its process id. On the 9x line column 2
// shows `queryErrorText`.
std::vector<ListRow> ProcessRows(const std::vector<ProcessFacts>& facts, bool windows9x,
                                 const std::string& queryErrorText);

// Enumerates into `list` and rebuilds the rows of `view` from it: display paths, ids,
// working sets and the flags of `monitor`; the icons are asked for as rows are drawn (see
// AnswerIconRequest). The rows' facts go to `facts` when given (entry k is row k). False
// (and an empty view) when the enumeration failed.
bool FillProcessList(ListView& view, ProcessList& list, const ProcessMonitor& monitor,
                     std::vector<ProcessFacts>* facts = nullptr);

// Answers the list's LVN_GETDISPINFO notification `lp` with the icon of the row's program.
void AnswerIconRequest(LPARAM lp, const ProcessList& list, FileIconCache& icons);

// Why the chosen process may not be terminated from the window.
enum class TerminateRefusal {
    None,
    Ourselves,      // the application's own process
    SystemProcess,  // a shell or system process, or one whose working set cannot be read
};
// The rule for the process of `f`.
TerminateRefusal TerminateRefusalFor(const ProcessFacts& f, bool windows9x);
