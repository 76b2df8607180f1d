// startup_delay_writer.exe FILE: rewrites the Delay.cfg at FILE as the program does, for ever,
// so that a test can end it at any moment: it appends the item "Fourth" to the three items
// there and removes it again, each a whole save. Sets the event "Mnemora delay writer" once
// the first save is done.
#include <windows.h>

#include "startup/DelayFile.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    StartupItem fourth;
    fourth.Name = "Fourth";
    fourth.Command = "\"C:\\Program Files\\Fourth\\fourth.exe\" /quiet";
    fourth.Source = SourceDelayed;
    fourth.DelayMinutes = 4;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "Mnemora delay writer");
    for (bool first = true;; first = false) {
        if (!AppendDelayedItem(argv[1], fourth) || !RemoveDelayedItem(argv[1], fourth)) return 1;
        if (first && ready) SetEvent(ready);
    }
}
