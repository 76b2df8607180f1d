// When the processor is too busy for an optimization run; `load` in percent.
#pragma once

// A run asked for by hand (the optimize button, the hot key, OK in the low-memory question)
// is refused at 76 % or more.
constexpr bool TooBusyForManualRun(int load) { return load > 75; }
// No automatic run is started or offered at 75 % or more.
constexpr bool TooBusyForAutoRun(int load) { return load >= 75; }
